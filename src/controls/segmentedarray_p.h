// A sequence that grows at its end without moving what it holds. Internal to the grid;
// not installed.

#pragma once

#include <bit>
#include <cstddef>
#include <memory>
#include <vector>

namespace controls {

// Elements in segments: the first eight, then segments that double up to LastSegment
// elements, then segments of LastSegment. A short row costs one small allocation, and a
// row that gains a cell per record grows without copying what it has. An index finds its
// element with a few shifts, where a deque divides by its node's element count.
//
// Elements past the end stay constructed as T() until they are used again.
template<typename T>
class SegmentedArray
{
public:
    template<typename Array, typename Element>
    class Iterator
    {
    public:
        Iterator(Array *array, std::size_t index)
            : m_array(array)
            , m_index(index)
        {}
        Element &operator*() const { return (*m_array)[m_index]; }
        Element *operator->() const { return &(*m_array)[m_index]; }
        Iterator &operator++()
        {
            ++m_index;
            return *this;
        }
        Iterator operator+(std::size_t n) const { return {m_array, m_index + n}; }
        bool operator==(const Iterator &other) const { return m_index == other.m_index; }

    private:
        Array *m_array;
        std::size_t m_index;
    };
    using iterator = Iterator<SegmentedArray, T>;
    using const_iterator = Iterator<const SegmentedArray, const T>;

    std::size_t size() const { return m_size; }

    T &operator[](std::size_t index)
    {
        const Place at = placeOf(index);
        return m_segments[at.segment][at.offset];
    }
    const T &operator[](std::size_t index) const
    {
        const Place at = placeOf(index);
        return m_segments[at.segment][at.offset];
    }

    T &emplace_back()
    {
        if (m_size == m_capacity)
            addSegment();
        return (*this)[m_size++];
    }

    void resize(std::size_t size)
    {
        resize(size, [] { return T(); });
    }
    void resize(std::size_t size, const T &fill)
    {
        resize(size, [&fill] { return fill; });
    }

    iterator begin() { return {this, 0}; }
    iterator end() { return {this, m_size}; }
    const_iterator begin() const { return {this, 0}; }
    const_iterator end() const { return {this, m_size}; }

private:
    static constexpr std::size_t FirstBits = 3;
    static constexpr std::size_t LastBits = 12;
    static constexpr std::size_t LastSegment = std::size_t(1) << LastBits;
    // Segments 1 to Growing - 1 double; the ones after are LastSegment long.
    static constexpr std::size_t Growing = LastBits - FirstBits + 1;

    struct Place
    {
        std::size_t segment;
        std::size_t offset;
    };

    // Segment 0 holds indexes 0 to 7, segment s up to Growing - 1 the indexes from
    // 2^(s+2) to 2^(s+3) - 1, and each after them LastSegment more.
    static Place placeOf(std::size_t index)
    {
        if (index >= LastSegment)
            return {Growing - 1 + (index >> LastBits), index & (LastSegment - 1)};
        if (index < (std::size_t(1) << FirstBits))
            return {0, index};
        const std::size_t segment = std::bit_width(index) - FirstBits;
        return {segment, index - (std::size_t(1) << (segment + FirstBits - 1))};
    }

    static std::size_t segmentSize(std::size_t segment)
    {
        if (segment >= Growing)
            return LastSegment;
        return std::size_t(1) << (segment == 0 ? FirstBits : segment + FirstBits - 1);
    }

    template<typename Fill>
    void resize(std::size_t size, Fill fill)
    {
        while (m_capacity < size)
            addSegment();
        for (std::size_t i = m_size; i < size; ++i)
            (*this)[i] = fill();
        for (std::size_t i = size; i < m_size; ++i)
            (*this)[i] = T();
        m_size = size;
        while (!m_segments.empty() && m_capacity - segmentSize(m_segments.size() - 1) >= size) {
            m_capacity -= segmentSize(m_segments.size() - 1);
            m_segments.pop_back();
        }
    }

    [[gnu::noinline]] void addSegment()
    {
        const std::size_t size = segmentSize(m_segments.size());
        m_segments.push_back(std::make_unique<T[]>(size));
        m_capacity += size;
    }

    std::vector<std::unique_ptr<T[]>> m_segments;
    std::size_t m_size = 0;
    std::size_t m_capacity = 0;
};

} // namespace controls

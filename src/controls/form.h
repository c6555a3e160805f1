// The form: a top-level window with twips geometry.

#pragma once

#include <QWidget>

class QKeyEvent;

#include <optional>

namespace controls {

// A top-level window with the window system's twips geometry: Left, Top, Width and
// Height are those of the outer frame, ScaleWidth and ScaleHeight those of the client
// area. The frame is the one the window system reports. Where it reports none (while
// the window is hidden, or before the window manager has framed it) the frame it last
// reported is taken, and before any the design's: the difference between the design's
// outer and client sizes. A word that an input method is still composing in a field
// is finished there before a command or the closing acts (controls/composition.h).
class Form : public QWidget
{
    Q_OBJECT

public:
    explicit Form(QWidget *parent = nullptr, Qt::WindowFlags flags = Qt::Window);

    // The design's frame: outer size minus client size, in twips.
    void setDesignFrame(double widthTwips, double heightTwips);

    double Left() const;
    double Top() const;
    double Width() const;
    double Height() const;
    double ScaleWidth() const;
    double ScaleHeight() const;

    void setLeft(double twips);
    void setTop(double twips);
    void setWidth(double twips);
    void setHeight(double twips);
    void setClientSize(double widthTwips, double heightTwips);

    QString Caption() const { return windowTitle(); }
    void setCaption(const QString &caption) { setWindowTitle(caption); }

protected:
    bool event(QEvent *event) override;
    // Called as the window system reports a frame other than the one known so far, as
    // a window manager frames a window it maps. The window's outer size has changed
    // with it; a window of fixed outer size sets it again here.
    virtual void frameChanged() {}

private:
    bool pressFocusedButton(const QKeyEvent &key);
    QMargins reportedMargins() const;
    QSize framePixels() const;
    QPoint outerTopLeft() const;
    void moveOuterTo(QPoint outer);

    QSize m_designFrame{0, 0};              // pixels
    std::optional<QMargins> m_knownMargins; // the frame the window system last reported
};

} // namespace controls

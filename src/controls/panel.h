// The panel control: a captioned container that docks and sizes its children.

#pragma once

#include <QAccessible>
#include <QFrame>
#include <QMargins>

namespace controls {

// The panel control: a container that draws a caption text in its own font and
// colours, and that can be docked along the top or bottom edge of its parent or fill
// the rest of the parent's client area, following the parent's size. Docked panels
// are stacked in the order they were docked: top and bottom bands first, then the
// panel that fills the rest takes what is left.
//
// With child sizing on, the panel's children keep their distances to its four edges
// when the panel is resized, as a frame whose content follows it.
//
// To a screen reader the panel is a grouping of its children, never a window of its
// own (a reader takes a window that is not active for one the focus cannot be in); its
// caption is its name, and a change of the caption is announced.
class Panel : public QFrame
{
    Q_OBJECT

public:
    enum class Align { None, Top, Bottom, Fill };

    explicit Panel(QWidget *parent = nullptr);

    QString Caption() const { return m_caption; }
    void setCaption(const QString &caption);

    Align align() const { return m_align; }
    void setAlign(Align align);

    bool childSizing() const { return m_childSizing; }
    void setChildSizing(bool on);

    void setBackColor(const QColor &color);
    void setForeColor(const QColor &color);

    // How the caption is placed: centred on one line by default.
    void setCaptionAlignment(Qt::Alignment alignment);
    void setCaptionWordWrap(bool on);

    // What a screen reader takes the panel for: a grouping by default, a status bar
    // for a message bar.
    QAccessible::Role accessibleRole() const { return m_accessibleRole; }
    void setAccessibleRole(QAccessible::Role role) { m_accessibleRole = role; }

    // Geometry in twips (see twips.h); Visible as the window system has it.
    double Left() const;
    double Top() const;
    double Width() const;
    double Height() const;
    void setLeft(double twips);
    void setTop(double twips);
    void setWidth(double twips);
    void setHeight(double twips);
    bool Visible() const { return !isHidden(); }
    void setVisible(bool visible) override;

signals:
    void captionChanged(const QString &caption);

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void childEvent(QChildEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void rememberChildMargins();
    void fitChildren();

    QString m_caption;
    Align m_align = Align::None;
    bool m_childSizing = false;
    Qt::Alignment m_captionAlignment = Qt::AlignCenter;
    bool m_captionWordWrap = false;
    QAccessible::Role m_accessibleRole = QAccessible::Grouping;
    QHash<QWidget *, QMargins> m_childMargins;
};

// Lays out the docked panels among the children of parent: top bands, bottom bands,
// then the filling panel. Panels call it themselves when their parent resizes.
void layOutDockedPanels(QWidget *parent);

} // namespace controls

#pragma once

#include <QWidget>

namespace controls {

// A top-level window with the window system's twips geometry: Left, Top, Width and
// Height are those of the outer frame, ScaleWidth and ScaleHeight those of the client
// area. Where the window system reports no frame (before the window is first shown,
// or on a platform without decorations) the frame is taken from the design: the
// difference between the design's outer and client sizes.
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

private:
    QSize framePixels() const;

    QSize m_designFrame{0, 0}; // pixels
};

} // namespace controls

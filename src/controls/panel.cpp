// The panel control: its caption, colours and twips geometry, docking in its parent,
// and child sizing.

#include "suiteframe/controls/panel.h"

#include "suiteframe/controls/accessible_p.h"
#include "suiteframe/controls/colors.h"
#include "suiteframe/controls/twips.h"

#include <QAccessibleWidget>
#include <QChildEvent>
#include <QPainter>
#include <QResizeEvent>

namespace controls {

namespace {

// The panel as a screen reader reads it: its own role, its caption as its name.
class PanelAccessible : public QAccessibleWidget
{
public:
    explicit PanelAccessible(Panel *panel)
        : QAccessibleWidget(panel, panel->accessibleRole())
    {}

    // Asked each time: the role may be set after the reader first met the panel.
    QAccessible::Role role() const override { return panel()->accessibleRole(); }

    QString text(QAccessible::Text kind) const override
    {
        const QString text = QAccessibleWidget::text(kind);
        if (kind == QAccessible::Name && text.isEmpty())
            return panel()->Caption();
        return text;
    }

private:
    const Panel *panel() const { return static_cast<const Panel *>(widget()); }
};

} // namespace

Panel::Panel(QWidget *parent)
    : QFrame(parent)
{
    // Qt would take a QFrame for a bordered window of its own; a panel is none.
    installAccessible<Panel, PanelAccessible>();
    setAutoFillBackground(true);
    setFrameStyle(QFrame::Panel | QFrame::Raised);
    setLineWidth(1);
}

void Panel::setCaption(const QString &caption)
{
    if (m_caption == caption)
        return;
    m_caption = caption;
    update();
    if (QAccessible::isActive()) {
        QAccessibleEvent changed(this, QAccessible::NameChanged);
        QAccessible::updateAccessibility(&changed);
    }
    emit captionChanged(m_caption);
}

void Panel::setAlign(Align align)
{
    if (m_align == align)
        return;
    if (parentWidget() && m_align == Align::None)
        parentWidget()->installEventFilter(this);
    m_align = align;
    if (parentWidget())
        layOutDockedPanels(parentWidget());
}

void Panel::setChildSizing(bool on)
{
    m_childSizing = on;
    if (on)
        rememberChildMargins();
}

void Panel::setBackColor(const QColor &color)
{
    controls::setBackColor(this, color);
}

void Panel::setForeColor(const QColor &color)
{
    controls::setForeColor(this, color);
}

void Panel::setCaptionAlignment(Qt::Alignment alignment)
{
    m_captionAlignment = alignment;
    update();
}

void Panel::setCaptionWordWrap(bool on)
{
    m_captionWordWrap = on;
    update();
}

double Panel::Left() const
{
    return twips::left(this);
}
double Panel::Top() const
{
    return twips::top(this);
}
double Panel::Width() const
{
    return twips::width(this);
}
double Panel::Height() const
{
    return twips::height(this);
}
void Panel::setLeft(double value)
{
    twips::setLeft(this, value);
}
void Panel::setTop(double value)
{
    twips::setTop(this, value);
}
void Panel::setWidth(double value)
{
    twips::setWidth(this, value);
}
void Panel::setHeight(double value)
{
    twips::setHeight(this, value);
}

void Panel::setVisible(bool visible)
{
    QFrame::setVisible(visible);
    if (m_align != Align::None && parentWidget())
        layOutDockedPanels(parentWidget());
}

void Panel::paintEvent(QPaintEvent *event)
{
    QFrame::paintEvent(event);
    if (m_caption.isEmpty())
        return;
    QPainter painter(this);
    painter.setPen(palette().color(QPalette::WindowText));
    painter.setFont(font());
    int flags = int(m_captionAlignment);
    if (m_captionWordWrap)
        flags |= Qt::TextWordWrap;
    painter.drawText(contentsRect(), flags, m_caption);
}

void Panel::resizeEvent(QResizeEvent *event)
{
    QFrame::resizeEvent(event);
    if (m_childSizing)
        fitChildren();
}

void Panel::childEvent(QChildEvent *event)
{
    QFrame::childEvent(event);
    if (event->removed())
        m_childMargins.remove(static_cast<QWidget *>(event->child()));
}

bool Panel::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == parentWidget() && event->type() == QEvent::Resize && m_align != Align::None)
        layOutDockedPanels(parentWidget());
    return QFrame::eventFilter(watched, event);
}

void Panel::rememberChildMargins()
{
    m_childMargins.clear();
    const QRect area = rect();
    for (QObject *object : children()) {
        auto *child = qobject_cast<QWidget *>(object);
        if (!child || child->isWindow())
            continue;
        const QRect g = child->geometry();
        m_childMargins.insert(child,
                              QMargins(g.left(),
                                       g.top(),
                                       area.right() - g.right(),
                                       area.bottom() - g.bottom()));
    }
}

void Panel::fitChildren()
{
    for (auto it = m_childMargins.cbegin(); it != m_childMargins.cend(); ++it)
        it.key()->setGeometry(rect().marginsRemoved(it.value()));
}

void layOutDockedPanels(QWidget *parent)
{
    QRect free = parent->rect();
    Panel *filling = nullptr;
    for (QObject *object : parent->children()) {
        auto *panel = qobject_cast<Panel *>(object);
        if (!panel || panel->align() == Panel::Align::None || panel->isHidden())
            continue;
        switch (panel->align()) {
        case Panel::Align::Top:
            panel->setGeometry(free.left(), free.top(), free.width(), panel->height());
            free.setTop(free.top() + panel->height());
            break;
        case Panel::Align::Bottom:
            panel->setGeometry(free.left(),
                               free.bottom() + 1 - panel->height(),
                               free.width(),
                               panel->height());
            free.setBottom(free.bottom() - panel->height());
            break;
        case Panel::Align::Fill:
            filling = panel;
            break;
        case Panel::Align::None:
            break;
        }
    }
    if (filling)
        filling->setGeometry(free.isValid() ? free : QRect(free.topLeft(), QSize(free.width(), 0)));
}

} // namespace controls

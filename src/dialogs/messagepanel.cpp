// The message panel: the caption shown in a wrapping, scrolling, selectable label.

#include "suiteframe/dialogs/messagepanel.h"

#include <QCoreApplication>
#include <QLabel>
#include <QScrollArea>

namespace dialogs {

MessagePanel::MessagePanel(QWidget *parent)
    : controls::Panel(parent)
    , m_scroll(new QScrollArea(this))
    , m_label(new QLabel)
{
    m_label->setWordWrap(true);
    m_label->setAlignment(Qt::AlignCenter);
    m_label->setTextFormat(Qt::PlainText);
    m_label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_label->setAutoFillBackground(false);

    m_scroll->setFrameShape(QFrame::NoFrame);
    m_scroll->setWidgetResizable(true);
    m_scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_scroll->setFocusPolicy(Qt::NoFocus);
    m_scroll->setAutoFillBackground(false);
    m_scroll->viewport()->setAutoFillBackground(false);
    m_scroll->setWidget(m_label);

    connect(this, &controls::Panel::captionChanged, this, &MessagePanel::showCaption);
}

void MessagePanel::paintEvent(QPaintEvent *event)
{
    // The frame only: the label shows the caption.
    QFrame::paintEvent(event);
}

void MessagePanel::resizeEvent(QResizeEvent *event)
{
    controls::Panel::resizeEvent(event);
    m_scroll->setGeometry(contentsRect());
}

} // namespace dialogs

namespace dialogs {

void MessagePanel::showEvent(QShowEvent *event)
{
    controls::Panel::showEvent(event);
    refit();
}

void MessagePanel::showCaption(const QString &caption)
{
    m_label->setText(caption);
    refit();
}

// A hidden scroll area hears nothing of its label's new text: ask it to fit the label
// to the text again, wrapping at the panel's width.
void MessagePanel::refit()
{
    QEvent request(QEvent::LayoutRequest);
    QCoreApplication::sendEvent(m_scroll, &request);
}

} // namespace dialogs

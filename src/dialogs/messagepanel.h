// The message panel of frmSure.

#pragma once

#include "suiteframe/controls/panel.h"

class QLabel;
class QScrollArea;

namespace dialogs {

// The dialog's message panel: a panel whose caption is shown by a label instead of
// being drawn, so that a long message wraps at the panel's width, scrolls when it does
// not fit, and can be selected with the mouse and copied. The label follows Caption.
class MessagePanel : public controls::Panel
{
    Q_OBJECT

public:
    explicit MessagePanel(QWidget *parent = nullptr);

    QLabel *label() const { return m_label; }

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void showCaption(const QString &caption);
    void refit();

    QScrollArea *m_scroll;
    QLabel *m_label;
};

} // namespace dialogs

// The message dialog frmSure: its window design, SHOWMSG shown modally, the buttons
// and keys, the window's height, and the text Ctrl+C copies.

#include "suiteframe/dialogs/frmSure.h"

#include "suiteframe/base/basBase.h"
#include "suiteframe/base/failure.h"
#include "suiteframe/controls/accessible_p.h"
#include "suiteframe/controls/fonts.h"
#include "suiteframe/controls/grid.h"
#include "suiteframe/controls/twips.h"
#include "suiteframe/dialogs/messagepanel.h"
#include "suiteframe/platform/runtimeerror.h"
#include "suiteframe/platform/trim.h"
#include "suiteframe/platform/windowmanager_p.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QEventLoop>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QStyle>
#include <QWindow>

#include <cmath>

namespace dialogs {

using controls::Panel;
using platform::Value;
namespace twips = controls::twips;

namespace {

bool isWayland()
{
    return QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}

// The dialog as a screen reader reads it: a dialog, or an alert when it has one button,
// modal while it waits for the answer, named by its title.
class FrmSureAccessible : public QAccessibleWidget
{
public:
    explicit FrmSureAccessible(FrmSure *dialog)
        : QAccessibleWidget(dialog, QAccessible::Dialog)
    {}

    QAccessible::Role role() const override
    {
        const auto *dialog = static_cast<const FrmSure *>(widget());
        return dialog->cmdCancel && dialog->cmdCancel->isHidden() ? QAccessible::AlertMessage
                                                                  : QAccessible::Dialog;
    }

    QAccessible::State state() const override
    {
        QAccessible::State state = QAccessibleWidget::state();
        state.modal = widget()->isModal();
        return state;
    }
};

// The design: client area 6195 × 5400 twips inside an outer frame of 6285 × 5910.
constexpr double ClientWidth = 6195, ClientHeight = 5400;
constexpr double FrameWidth = 90, FrameHeight = 510;
constexpr double FullHeight = 5910, ShortHeight = 4200;

QFont buttonFont()
{
    return controls::designFont(QStringLiteral("新細明體"), 14.25, true);
}
QFont panelFont()
{
    return controls::designFont(QStringLiteral("MS Sans Serif"), 8.25, false);
}

} // namespace

FrmSure::FrmSure(QWidget *parent)
    : controls::Form(parent,
                     Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                         | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint)
{
    controls::installAccessible<FrmSure, FrmSureAccessible>();
    setObjectName(QStringLiteral("frmSure"));
    setWindowIcon(style()->standardIcon(QStyle::SP_MessageBoxQuestion));
    setDesignFrame(FrameWidth, FrameHeight);
    setClientSize(ClientWidth, ClientHeight);
    setFixedSize(size());

    createButtonBar();
    createContentPanel();
    createTabOrder();
    controls::layOutDockedPanels(this);

    Form_Load();
}

FrmSure::~FrmSure() = default;

void FrmSure::createButtonBar()
{
    elaSure = new Panel(this);
    elaSure->setObjectName(QStringLiteral("elaSure"));
    elaSure->setFont(panelFont());
    twips::setGeometry(elaSure, 0, 4605, 6195, 795);
    elaSure->setAlign(Panel::Align::Bottom);

    auto makeButton = [this](const char *name, const QString &caption, double left) {
        auto *button = new QPushButton(caption, elaSure);
        button->setObjectName(QLatin1String(name));
        button->setFont(buttonFont());
        // Enter presses the button that has the focus, as Space does.
        button->setAutoDefault(true);
        twips::setGeometry(button, left, 90, 1875, 615);
        return button;
    };
    cmdOK = makeButton("cmdOK", QStringLiteral("確定"), 1320);
    cmdCancel = makeButton("cmdCancel", QStringLiteral("取消"), 4080);
    connect(cmdOK, &QPushButton::clicked, this, &FrmSure::cmdOK_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &FrmSure::cmdCancel_Click);
}

void FrmSure::createContentPanel()
{
    vsElastic2 = new Panel(this);
    vsElastic2->setObjectName(QStringLiteral("vsElastic2"));
    vsElastic2->setFont(panelFont());
    twips::setGeometry(vsElastic2, 0, 0, 6195, 4605);
    vsElastic2->setAlign(Panel::Align::Fill);

    elaList = new Panel(vsElastic2);
    elaList->setObjectName(QStringLiteral("elaList"));
    elaList->setFont(panelFont());
    twips::setGeometry(elaList, 75, 2850, 6015, 1590);
    elaList->hide();

    fgList = new controls::Grid(elaList);
    fgList->setObjectName(QStringLiteral("fgList"));
    QFont gridFont = controls::designFont(QStringLiteral("新細明體"), 12, false);
    gridFont.setKerning(false);
    fgList->setFont(gridFont);
    fgList->setAccessibleName(QStringLiteral("清單"));
    twips::setGeometry(fgList, 75, 90, 5835, 1410);
    elaList->setChildSizing(true);

    ela1 = new Panel(vsElastic2);
    ela1->setObjectName(QStringLiteral("ela1"));
    ela1->setFont(panelFont());
    ela1->setBackColor(QColor(0, 0, 192));
    ela1->setForeColor(QColor(192, 0, 0));
    twips::setGeometry(ela1, 60, 60, 6060, 4485);

    elaMsg = new MessagePanel(ela1);
    elaMsg->setObjectName(QStringLiteral("elaMsg"));
    elaMsg->setBackColor(QColor(255, 255, 192));
    elaMsg->setForeColor(QColor(192, 0, 0));
    elaMsg->setFont(controls::designFont(QStringLiteral("Times New Roman"), 15.75, true));
    twips::setGeometry(elaMsg, 75, 75, 5910, 4335);
    ela1->setChildSizing(true);

    // Where the list and the shortened message frame overlap, the list stays in view.
    elaList->raise();
}

void FrmSure::createTabOrder()
{
    for (QWidget *widget : {static_cast<QWidget *>(elaSure),
                            static_cast<QWidget *>(vsElastic2),
                            static_cast<QWidget *>(elaList),
                            static_cast<QWidget *>(ela1),
                            static_cast<QWidget *>(elaMsg)})
        widget->setFocusPolicy(Qt::NoFocus);
    QWidget::setTabOrder(cmdOK, cmdCancel);
    QWidget::setTabOrder(cmdCancel, fgList);
}

void FrmSure::Form_Load()
{
    failure::report(QStringLiteral("frmSure_Form_Load"), [this] {
        elaMsg->setCaption(QString());
        fgList->setRows(0);
        fgList->setCols(0);
        elaList->setVisible(false);
    });
}

// --- SHOWMSG --------------------------------------------------------------------

bool FrmSure::SHOWMSG(const Value &pvMsg,
                      const std::optional<Value> &pvTitle,
                      const std::optional<Value> &pvReturn,
                      adodb::Recordset *pRST,
                      const std::optional<Value> &pvButtonOKTitle,
                      const std::optional<Value> &pvButtonCancelTitle,
                      const std::optional<Value> &pbShortSize)
{
    bool result = false;
    failure::report(QStringLiteral("frmSure_ShowMsg"), [&] {
        // A call that arrives while the dialog waits for the user (from a timer, say)
        // must not change the message under the user's eyes.
        if (isVisible())
            throw platform::RuntimeError(platform::ErrorNumber::FormAlreadyDisplayed);
        // Shown again right after an answer, the window must first be let go of by the
        // window manager, or the manager forgets that the new showing is modal.
        platform::windowmanager::awaitWithdrawal(*this);
        QCoreApplication::processEvents();
        if (isVisible())
            throw platform::RuntimeError(platform::ErrorNumber::FormAlreadyDisplayed);

        const QString message = pvMsg.toText();
        elaMsg->setCaption(message);
        m_listCutShort = false;
        if (pRST)
            PickRST(pRST);
        if (m_listCutShort)
            elaMsg->setCaption(message + QStringLiteral("\n") + cutShortNotice());
        elaList->setVisible(!(fgList->Rows() == 0 || fgList->Cols() == 1));

        const bool shortSize = pbShortSize.value_or(Value(false)).toBoolean();
        m_outerHeight = shortSize && fgList->Rows() == 0 ? ShortHeight : FullHeight;
        fitToOuterHeight();

        cmdOK->setText(pvButtonOKTitle.value_or(Value(u"確定")).toText());
        cmdCancel->setText(pvButtonCancelTitle.value_or(Value(u"取消")).toText());
        setCaption(pvTitle.value_or(Value(u"訊息視窗")).toText());

        // A Null mode compares as unequal to "N", as the runtime's comparison does.
        const Value mode = pvReturn.value_or(Value(u"Y"));
        placeButtons(!mode.isNull() && mode.toText().toUpper() == u"N");

        basBase::CenterForm(*this);
        showModally();
        result = m_fbChoice;
    });
    return result;
}

// The window takes its height before the message frame is fitted into it.
void FrmSure::fitToOuterHeight()
{
    applyOuterHeight(m_outerHeight);
    setMessageFrame(elaMsg->Caption());
}

void FrmSure::applyOuterHeight(double outerTwips)
{
    setMinimumSize(0, 0);
    setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    setHeight(outerTwips);
    setFixedSize(size());
    // A hidden window gets no resize event until it is shown: dock the panels now,
    // so the content panel's height is the new one.
    controls::layOutDockedPanels(this);
}

void FrmSure::setMessageFrame(const QString &message)
{
    if (platform::trimBlanks(message).isEmpty()) {
        ela1->setVisible(false);
        return;
    }
    const float content = float(vsElastic2->Height());
    ela1->setHeight(elaList->Visible() ? content - float(elaList->Height()) - 100.0f
                                       : content - 100.0f);
    ela1->setVisible(true);
}

void FrmSure::placeButtons(bool singleButton)
{
    const float bar = float(elaSure->Width());
    const float ok = float(twips::width(cmdOK));
    if (singleButton) {
        cmdCancel->setVisible(false);
        twips::setLeft(cmdOK, (bar - ok) / 2.0f);
    } else {
        cmdCancel->setVisible(true);
        twips::setLeft(cmdOK, std::floor(bar - ok - float(twips::width(cmdCancel))) / 3.0f);
        twips::setLeft(cmdCancel, 2.0f * float(twips::left(cmdOK)) + ok);
    }
}

void FrmSure::showModally()
{
    setWindowModality(Qt::ApplicationModal);
    QEventLoop loop;
    // Set before showing: showing processes events, and a button pressed then must
    // find the loop to end.
    m_modalLoop = &loop;
    belongToTheActiveWindow();
    showRestoredAndActive();
    if (isVisible())
        loop.exec(QEventLoop::DialogExec);
    m_modalLoop = nullptr;
    // An application that quits ends the wait without a button: that answers no,
    // never the choice of an earlier use.
    if (isVisible())
        cmdCancel_Click();
}

// On Wayland a window has an owner only when it asks for one (set_parent): the dialog
// belongs to the window the user was in, so that the compositor keeps it above that
// window, which the modal wait blocks. X11 window managers are told by Qt itself.
void FrmSure::belongToTheActiveWindow()
{
    if (!isWayland())
        return;
    create();
    // Qt's decoration minimises the window itself; no compositor tells of it.
    connect(windowHandle(),
            &QWindow::windowStateChanged,
            this,
            &FrmSure::windowStateChanged,
            Qt::UniqueConnection);
    QWidget *owner = QApplication::activeWindow();
    if (owner != this)
        windowHandle()->setTransientParent(owner ? owner->windowHandle() : nullptr);
}

void FrmSure::windowStateChanged(Qt::WindowState state)
{
    if (state == Qt::WindowMinimized && isVisible())
        QMetaObject::invokeMethod(this, &FrmSure::comeBackFromMinimised, Qt::QueuedConnection);
}

// Minimising is no answer: a dialog minimised during an earlier wait comes back
// restored, or the program would wait for a window nobody sees.
void FrmSure::showRestoredAndActive()
{
    setWindowState(windowState() & ~Qt::WindowMinimized);
    show();
    raise();
    activateWindow();
    // A window hidden while it had the focus stays the application's focus window
    // where no other window takes the focus (a bare X server, the offscreen platform):
    // asking to activate it again then changes nothing, and no widget would get the
    // keyboard. Make it the active window directly.
    if (QGuiApplication::focusWindow() == windowHandle() && !isActiveWindow()) {
        QT_WARNING_PUSH
        QT_WARNING_DISABLE_DEPRECATED
        QApplication::setActiveWindow(this);
        QT_WARNING_POP
    }
    if (isActiveWindow())
        focusLastControl();
}

// A minimise, or hiding the window at the answer, takes the keyboard focus away from
// its controls; coming back, the control that had it gets it again (cmdOK on first
// use, the start of the tab order).
void FrmSure::focusLastControl()
{
    const QWidget *focused = QApplication::focusWidget();
    if (focused && focused->window() == this)
        return;
    if (QWidget *last = focusWidget())
        last->setFocus(Qt::ActiveWindowFocusReason);
    else
        focusNextChild();
}

// --- Events ---------------------------------------------------------------------

void FrmSure::cmdOK_Click()
{
    m_fbChoice = true;
    hide();
}

void FrmSure::cmdCancel_Click()
{
    m_fbChoice = false;
    hide();
}

bool FrmSure::event(QEvent *event)
{
    const bool handled = controls::Form::event(event);
    // As the window becomes active, let it paint before the user acts. Qt gives the
    // focus back only once the activation has been delivered: give it first, or keys
    // and timers processed here would find no control to act on.
    if (event->type() == QEvent::WindowActivate) {
        focusLastControl();
        QCoreApplication::processEvents();
    }
    return handled;
}

// The window manager's frame is known only once it has framed the window: the height
// and the place computed with the frame known before are computed again.
void FrmSure::frameChanged()
{
    if (m_outerHeight == 0)
        return;
    fitToOuterHeight();
    basBase::CenterForm(*this);
}

void FrmSure::showEvent(QShowEvent *event)
{
    controls::Form::showEvent(event);
    setAccessibleName(windowTitle());
    setAccessibleDescription(elaMsg->Caption());
    QAccessibleEvent alert(this, QAccessible::Alert);
    QAccessible::updateAccessibility(&alert);
}

void FrmSure::hideEvent(QHideEvent *event)
{
    controls::Form::hideEvent(event);
    // The window system hides a window it minimises, and that is no answer: only the
    // dialog's own hiding ends the wait.
    if (m_modalLoop && !event->spontaneous() && !m_showingAnew)
        m_modalLoop->quit();
}

// The design has no minimise button, yet a window manager may offer one all the same
// (and a bare X server may report a minimise long asked for; on Wayland Qt draws the
// decoration, with its minimise button): a dialog minimised while it waits comes
// straight back, since nothing else of the program takes input.
void FrmSure::changeEvent(QEvent *event)
{
    controls::Form::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange && isVisible() && isMinimized())
        QMetaObject::invokeMethod(this, &FrmSure::comeBackFromMinimised, Qt::QueuedConnection);
}

// A Wayland client cannot take back a minimise (xdg-shell has no request for it): the
// dialog's window is shown anew, which the compositor maps as a new window.
void FrmSure::comeBackFromMinimised()
{
    QWindow *window = windowHandle();
    if (!isVisible() || !(isMinimized() || window->windowStates() & Qt::WindowMinimized))
        return;
    if (isWayland()) {
        m_showingAnew = true;
        hide();
        m_showingAnew = false;
        window->setWindowStates(window->windowStates() & ~Qt::WindowMinimized);
    }
    showRestoredAndActive();
}

// The close box answers as cmdCancel does and keeps the window for the next use.
void FrmSure::closeEvent(QCloseEvent *event)
{
    event->ignore();
    cmdCancel_Click();
}

void FrmSure::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        cmdCancel_Click();
        return;
    }
    if (event->matches(QKeySequence::Copy)) {
        QGuiApplication::clipboard()->setText(clipText());
        return;
    }
    controls::Form::keyPressEvent(event);
}

QString FrmSure::clipText() const
{
    QString text = elaMsg->Caption();
    if (!text.isEmpty() && !text.endsWith(u'\n'))
        text += u'\n';
    if (elaList->Visible())
        text += fgList->clipText();
    return text;
}

FrmSure &frmSure()
{
    // Never deleted: the dialog lives as long as the process. The plain pointer keeps
    // it reachable; the guard notices if someone deletes it all the same.
    static FrmSure *instance = nullptr;
    static QPointer<FrmSure> guard;
    if (!guard) {
        instance = new FrmSure;
        guard = instance;
    }
    return *instance;
}

} // namespace dialogs

// The main window FmMain: header band, body panel and status bar, loading and Exit.

#include "suiteframe/frame/fmMain.h"

#include "suiteframe/base/basBase.h"
#include "suiteframe/base/failure.h"
#include "suiteframe/controls/colors.h"
#include "suiteframe/controls/fonts.h"
#include "suiteframe/controls/panel.h"
#include "suiteframe/controls/twips.h"
#include "suiteframe/platform/regional.h"
#include "suiteframe/platform/runtimeerror.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QStyle>

#include <cstdlib>

namespace {

using controls::Panel;
namespace twips = controls::twips;

QLabel *createHeadLabel(QWidget *parent,
                        const QString &caption,
                        const QColor &back,
                        const QFont &font,
                        double left,
                        double top,
                        double width,
                        double height)
{
    auto *label = new QLabel(caption, parent);
    controls::setBackColor(label, back);
    label->setFont(font);
    label->setAlignment(Qt::AlignCenter);
    twips::setGeometry(label, left, top, width, height);
    return label;
}

} // namespace

namespace frame {

FmMain::FmMain(const platform::AppInfo &app, QWidget *parent)
    : controls::Form(parent)
    , m_app(app)
{
    setObjectName(QStringLiteral("fmMain"));
    setWindowTitle(m_app.title);
    setFont(controls::designFont(QStringLiteral("新細明體"), 12));
    setClientSize(8970, 6255);

    createHeaderBand();
    createBody();
    createStatusBar();
    // However small the user makes the window, its bands stay whole: the header band
    // and the status bar with its message and 結束, the body taking what is left.
    setMinimumSize(cmdExit->geometry().right() + 1 + elaMsg->x(),
                   elaHead->height() + elaSBar->height());
}

void FmMain::createHeaderBand()
{
    elaHead = new Panel(this);
    elaHead->setObjectName(QStringLiteral("elaHead"));
    elaHead->setFont(controls::designFont(QStringLiteral("Courier New"), 11.25));
    twips::setGeometry(elaHead, 0, 0, 8970, 495);
    elaHead->setAlign(Panel::Align::Top);

    const QFont roman = controls::designFont(QStringLiteral("Times New Roman"), 15.75);
    lblHead[0] = createHeadLabel(elaHead,
                                 m_app.displayName(),
                                 QColor(192, 192, 192),
                                 roman,
                                 45,
                                 120,
                                 1425,
                                 330);
    lblHead[1] = createHeadLabel(elaHead,
                                 m_app.title,
                                 QColor(192, 255, 192),
                                 controls::designFont(QStringLiteral("細明體"), 18),
                                 2055,
                                 75,
                                 4770,
                                 405);
    lblHead[2] = createHeadLabel(elaHead,
                                 QStringLiteral("2000/00/00"),
                                 QColor(128, 255, 128),
                                 roman,
                                 7215,
                                 120,
                                 1710,
                                 330);
    for (int i = 0; i < int(lblHead.size()); ++i)
        lblHead[i]->setObjectName(QStringLiteral("lblHead(%1)").arg(i));
}

void FmMain::createBody()
{
    vsElastic1 = new Panel(this);
    vsElastic1->setObjectName(QStringLiteral("vsElastic1"));
    vsElastic1->setFont(controls::designFont(QStringLiteral("新細明體"), 12));
    twips::setGeometry(vsElastic1, 0, 495, 8970, 5205);
}

void FmMain::createStatusBar()
{
    elaSBar = new Panel(this);
    elaSBar->setObjectName(QStringLiteral("elaSBar"));
    elaSBar->setFont(controls::designFont(QStringLiteral("細明體"), 11.25));
    twips::setGeometry(elaSBar, 0, 5700, 8970, 555);
    elaSBar->setAlign(Panel::Align::Bottom);
    // The body fills what the two bands leave; it is docked after them.
    vsElastic1->setAlign(Panel::Align::Fill);

    elaMsg = new Panel(elaSBar);
    elaMsg->setObjectName(QStringLiteral("elaMsg"));
    elaMsg->setCaption(QStringLiteral("訊息列"));
    elaMsg->setAccessibleRole(QAccessible::StatusBar);
    elaMsg->setBackColor(QColor(255, 255, 192));
    elaMsg->setForeColor(QColor(0, 0, 192));
    elaMsg->setFont(controls::designFont(QStringLiteral("細明體"), 12));
    elaMsg->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    twips::setGeometry(elaMsg, 60, 105, 7875, 360);

    cmdExit = new QPushButton(QStringLiteral("&Z結束"), elaSBar);
    cmdExit->setObjectName(QStringLiteral("cmdExit"));
    cmdExit->setIcon(style()->standardIcon(QStyle::SP_DialogCloseButton));
    cmdExit->setIconSize(QSize(20, 20));
    controls::setBackColor(cmdExit, QColor(192, 192, 192));
    twips::setGeometry(cmdExit, 8010, 60, 900, 450);
    connect(cmdExit, &QPushButton::clicked, this, [this] { cmdExit_Click(); });
}

void FmMain::setVisible(bool visible)
{
    if (visible)
        load();
    controls::Form::setVisible(visible);
}

void FmMain::load()
{
    if (m_loaded)
        return;
    m_loaded = true;
    Form_Load();
}

void FmMain::Form_Load()
{
    failure::report(QStringLiteral("fmMain_Form_Load"), [this] {
        const QString programFile = programFilePath();
        if (basBase::FileExists(programFile)) {
            lblHead[0]->setToolTip(QStringLiteral("檔案日期:")
                                   + platform::Value(programFileDate(programFile)).toText());
        }
        lblHead[1]->setToolTip(versionText(QString()));
        lblHead[2]->setText(basBase::DBDateDisp(platform::Value(QDate::currentDate())));
        elaMsg->setCaption(versionText(QStringLiteral(".")));
        // The window has no key handlers of its own; key preview changes nothing here.
        QCoreApplication::processEvents();
        runInitForm();
        if (!focusWidget())
            focusFirstBodyControl();
    });
}

// A window opens with the focus in its body, where the user's work is, rather than on
// the first control Qt would find: 結束 comes first in the window's focus chain.
void FmMain::focusFirstBodyControl()
{
    for (QWidget *next = nextInFocusChain(); next != this; next = next->nextInFocusChain()) {
        if (vsElastic1->isAncestorOf(next) && (next->focusPolicy() & Qt::TabFocus)
            && next->isEnabled() && next->isVisibleTo(this)) {
            next->setFocus(Qt::TabFocusReason);
            return;
        }
    }
}

void FmMain::runInitForm()
{
    failure::report(QStringLiteral("fmMain_InitForm"), [this] { InitForm(); });
}

void FmMain::InitForm() {}

void FmMain::Form_QueryUnload(bool &cancel)
{
    cancel = false;
}

bool FmMain::mayEnd()
{
    bool cancel = false;
    failure::report(QStringLiteral("fmMain_Form_QueryUnload"), [&] { Form_QueryUnload(cancel); });
    return !cancel;
}

void FmMain::closeEvent(QCloseEvent *event)
{
    if (mayEnd())
        controls::Form::closeEvent(event);
    else
        event->ignore();
}

void FmMain::cmdExit_Click()
{
    if (!mayEnd())
        return;
    failure::report(QStringLiteral("fmMain_cmdExit_Click"), [] {
        // Ends the program at once: no further events run, whatever windows are open.
        std::fflush(nullptr);
        std::_Exit(EXIT_SUCCESS);
    });
}

QString FmMain::programFilePath() const
{
    return m_app.path() + QLatin1Char('/') + QFileInfo(m_app.programFile).fileName();
}

QDateTime FmMain::programFileDate(const QString &path) const
{
    const QFileInfo info(path);
    const QDateTime modified = info.lastModified();
    if (!modified.isValid())
        throw platform::RuntimeError(platform::ErrorNumber::FileNotFound);
    // File times are kept to the second: the fraction would round the shown time up,
    // into the next day at 23:59:59.5.
    return modified.addMSecs(-modified.time().msec());
}

QString FmMain::versionText(const QString &separatorAfterV) const
{
    return QLatin1Char('V') + separatorAfterV
           + QStringLiteral("%1.%2.%3").arg(m_app.major).arg(m_app.minor).arg(m_app.revision);
}

} // namespace frame

// frmSure: the suite's message and confirmation dialog.

#pragma once

#include "suiteframe/controls/form.h"
#include "suiteframe/platform/value.h"

#include <optional>

class QEventLoop;
class QPushButton;

namespace adodb {
class Recordset;
}
namespace controls {
class Grid;
class Panel;
} // namespace controls

namespace dialogs {

class MessagePanel;

// The suite's message and confirmation dialog: a message, optionally a list below it
// (message lines, or the records of a recordset as a card with one column per
// record), and one or two buttons. SHOWMSG shows it modally and answers true for
// cmdOK and false for cmdCancel, the close box or Escape.
//
// There is one instance per process, reached through frmSure(). It is hidden, never
// destroyed, between uses, so each use finds what the last one left: callers that
// want a fresh dialog call ClearMsgFrom first. No operation lets a failure reach its
// caller; each reports it under its own procedure name.
//
// Procedure names are the error log's, not the methods' spelling: SHOWMSG reports as
// "frmSure_ShowMsg", as the logs the suite's users keep have always shown it.
class FrmSure : public controls::Form
{
    Q_OBJECT

public:
    explicit FrmSure(QWidget *parent = nullptr);
    ~FrmSure() override;

    // Shows the dialog modally and answers the user's choice; false when the call
    // fails before the window is shown, or when the dialog is shown already.
    // pvTitle defaults to "訊息視窗", pvReturn "N" gives the single-button mode,
    // pRST is listed when given, the button captions default to "確定" and "取消",
    // and pbShortSize asks for the short window when the list has no rows.
    bool SHOWMSG(const platform::Value &pvMsg,
                 const std::optional<platform::Value> &pvTitle = std::nullopt,
                 const std::optional<platform::Value> &pvReturn = std::nullopt,
                 adodb::Recordset *pRST = nullptr,
                 const std::optional<platform::Value> &pvButtonOKTitle = std::nullopt,
                 const std::optional<platform::Value> &pvButtonCancelTitle = std::nullopt,
                 const std::optional<platform::Value> &pbShortSize = std::nullopt);

    // Appends a line to the list; its tab characters separate the cells, and the
    // list takes as many columns as the line has parts.
    void AddLine(const platform::Value &pvLine);
    // Empties the message and the list and resets the list's headings and font.
    void ClearMsgFrom();
    // Sets the list's heading columns, heading rows and font size.
    void SetList(const platform::Value &pvFixedCols,
                 const platform::Value &pvFixedRows,
                 const platform::Value &pvFontSize);
    // Lists the recordset from its current record to its end, one column per record
    // beside a heading column of field names. Always answers false.
    bool PickRST(adodb::Recordset *pRST);

    // Whether the last recordset listed could not be read to its end: the records read
    // before the failure are listed, and the message says the list is cut short.
    bool listCutShort() const { return m_listCutShort; }
    // How many records the list shows as a card: its columns beside the field names.
    int listedRecords() const;

    // The last button pressed in this instance.
    bool fbChoice() const { return m_fbChoice; }

    // The message and the list as tab-separated text, as Ctrl+C copies them.
    QString clipText() const;

    // The controls of the window design.
    controls::Panel *elaSure = nullptr;
    QPushButton *cmdOK = nullptr;
    QPushButton *cmdCancel = nullptr;
    controls::Panel *vsElastic2 = nullptr;
    controls::Panel *elaList = nullptr;
    controls::Grid *fgList = nullptr;
    controls::Panel *ela1 = nullptr;
    MessagePanel *elaMsg = nullptr;

protected:
    bool event(QEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void changeEvent(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void frameChanged() override;

private:
    void createButtonBar();
    void createContentPanel();
    void createTabOrder();
    void Form_Load();

    void cmdOK_Click();
    void cmdCancel_Click();

    void setMessageFrame(const QString &message);
    void placeButtons(bool singleButton);
    void fitToOuterHeight();
    void applyOuterHeight(double twips);
    void showModally();
    void belongToTheActiveWindow();
    void showRestoredAndActive();
    void windowStateChanged(Qt::WindowState state);
    void comeBackFromMinimised();
    void focusLastControl();
    QString cutShortNotice() const;

    bool m_fbChoice = false;
    double m_outerHeight = 0;
    QEventLoop *m_modalLoop = nullptr;
    bool m_showingAnew = false; // hidden only to be shown again, no answer
    bool m_listCutShort = false;
};

// The dialog instance, created and loaded on first use.
FrmSure &frmSure();

} // namespace dialogs

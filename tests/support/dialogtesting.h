// Helpers for the tests of the modal message dialog: the shared modal driver and
// report capture, the names those tests use throughout, and checks of the dialog's
// twips geometry and its grid.

#pragma once

#include "suiteframe/controls/fonts.h"
#include "suiteframe/controls/grid.h"
#include "suiteframe/controls/twips.h"
#include "suiteframe/dialogs/frmSure.h"
#include "suiteframe/platform/desktop.h"
#include "support/desktopcapture.h"
#include "support/modaldriver.h"

#include <QMessageBox>
#include <QtTest>

namespace dialogtesting {

using dialogs::FrmSure;
using dialogs::frmSure;
using platform::Value;
namespace twips = controls::twips;

// Twips positions land on whole pixels: a value read back is within one pixel.
inline bool nearTwips(double actual, double expected)
{
    return qAbs(actual - expected) <= twips::PerPixel;
}

// SHOWMSG with the message and the short size alone, the rest left out.
inline bool showMsgSized(const QString &message, bool shortSize)
{
    return frmSure().SHOWMSG(Value(message),
                             std::nullopt,
                             std::nullopt,
                             nullptr,
                             std::nullopt,
                             std::nullopt,
                             Value(shortSize));
}

// The texts of one grid column, top to bottom.
inline QStringList column(const controls::Grid *grid, int col)
{
    QStringList texts;
    for (int row = 0; row < grid->Rows(); ++row)
        texts << grid->cellText(row, col);
    return texts;
}

} // namespace dialogtesting

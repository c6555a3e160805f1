#pragma once

class QApplication;

// What every program of the suite does at start-up before it shows its main window:
// names the application, maps the design fonts to their Linux substitutes, and reads
// the user's settings into basBase.
namespace frame {

void startUp(QApplication &application);

} // namespace frame

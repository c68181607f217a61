#pragma once

class QApplication;

namespace StationStart {

// The station's run after the application object exists: the drag filter,
// the login window run modally and, once it is accepted, the main menu until
// it closes. Returns the event loop's exit code, or 0 when nobody logged in.
int run(QApplication& app);

} // namespace StationStart

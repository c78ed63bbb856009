// The process: the Qt application, the real desktop on Qt's X connection,
// the core and the controllers, then the event loop. Start-up proper is the
// application delegate's, once the loop runs.

#include <xcb/xcb.h>

#include <QAction>
#include <QApplication>
#include <QKeySequence>
#include <QThreadPool>
#include <QTimer>
#include <QWidget>
#include <QtGui/qguiapplication_platform.h>
#include <cstdio>
#include <cstdlib>
#include <optional>

#include "controllers/ActionRunner.hpp"
#include "controllers/AppDelegate.hpp"
#include "controllers/AppLauncher.hpp"
#include "controllers/HotkeyController.hpp"
#include "controllers/LoginItem.hpp"
#include "controllers/MainWindowController.hpp"
#include "controllers/PermissionController.hpp"
#include "controllers/ScriptRunner.hpp"
#include "controllers/WindowManager.hpp"
#include "controllers/terminal/TerminalAdapters.hpp"
#include "controllers/terminal/TerminalLaunch.hpp"
#include "platform/linux/posix/InotifyFolderWatch.hpp"
#include "platform/linux/posix/NoAppleScriptEngine.hpp"
#include "platform/linux/posix/PosixProcesses.hpp"
#include "platform/linux/posix/XdgAutostartLoginService.hpp"
#include "platform/linux/qt/LinuxBundle.hpp"
#include "platform/linux/qt/QtDialogs.hpp"
#include "platform/linux/qt/QtKeyMonitors.hpp"
#include "platform/linux/qt/QtMainQueue.hpp"
#include "platform/linux/qt/QtTypingWindowFactory.hpp"
#include "platform/linux/qt/SingleInstance.hpp"
#include "platform/linux/qt/TerminationSignals.hpp"
#include "platform/linux/qt/XcbEventFeed.hpp"
#include "platform/linux/qt/XcbKeyTranslator.hpp"
#include "platform/linux/qt/XcbWindowRequests.hpp"
#include "platform/linux/x11/X11Accessibility.hpp"
#include "platform/linux/x11/X11PermissionProbe.hpp"
#include "platform/linux/x11/X11Screens.hpp"
#include "platform/linux/x11/X11Workspace.hpp"
#include "platform/linux/x11/XcbHotkeyService.hpp"
#include "runtime/Core.hpp"
#include "runtime/Log.hpp"
#include "ui/Appearance.hpp"
#include "ui/House.hpp"
#include "ui/TrayIcon.hpp"

using namespace tavelin;
using namespace tavelin::app;

namespace {

// Tavelin's chords, window moves and activation tracking are X11's, so it
// runs on Qt's X11 platform (under XWayland too); say so plainly rather than
// let Qt abort when there is no display at all.
bool prepareDisplay() {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "xcb");
  if (qgetenv("QT_QPA_PLATFORM") == "xcb" && qEnvironmentVariableIsEmpty("DISPLAY")) {
    std::fputs("tavelin: no X display to run on (DISPLAY is not set). Start it from an X11 desktop session.\n",
               stderr);
    return false;
  }
  return true;
}

// The screen of $DISPLAY, which is the one Qt connected to.
int displayScreen() {
  int screen = 0;
  char* host = nullptr;
  int display = 0;
  if (xcb_parse_display(nullptr, &host, &display, &screen) == 0) screen = 0;
  std::free(host);
  return screen;
}

xcb_window_t rootWindow(xcb_connection_t* connection, int screenNumber) {
  xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(connection));
  for (int i = 0; it.rem > 0 && i < screenNumber; ++i) xcb_screen_next(&it);
  return it.rem > 0 ? it.data->root : xcb_window_t{XCB_WINDOW_NONE};
}

// Brings the application forward: its window with the keys, else one it
// shows. The typing window asks for the keys itself once it is mapped.
void activateOwnWindow() {
  QWidget* window = QApplication::activeWindow();
  if (!window) {
    for (QWidget* candidate : QApplication::topLevelWidgets()) {
      if (candidate->isVisible() && !candidate->windowFlags().testFlag(Qt::Popup)) window = candidate;
    }
  }
  if (!window) return;
  window->raise();
  window->activateWindow();
  XcbWindowRequests::activate(static_cast<std::uint32_t>(window->winId()));
}

// The settings window comes later; until then its requests are noted.
void showSettings(std::optional<int>) { Log::info("settings window is not available yet"); }

}  // namespace

int main(int argc, char** argv) {
  if (!prepareDisplay()) return 1;
  LinuxBundle bundle;
  QApplication::setApplicationName(QStringLiteral("Tavelin"));
  QApplication::setApplicationVersion(QString::fromStdString(bundle.shortVersion().value_or("?")));
  QApplication::setDesktopFileName(QString::fromLatin1(LinuxBundle::kIdentifier));
  QApplication application(argc, argv);
  QApplication::setQuitOnLastWindowClosed(false);

  SingleInstance instance(SingleInstance::defaultSocketPath());
  const SingleInstance::Role role = instance.claim();
  if (role == SingleInstance::Role::secondary) {
    std::fputs("tavelin: already running; asked it to show its settings.\n", stderr);
    return 0;
  }

  auto* x11 = application.nativeInterface<QNativeInterface::QX11Application>();
  xcb_connection_t* connection = x11 ? x11->connection() : nullptr;
  if (connection == nullptr || xcb_connection_has_error(connection)) {
    std::fputs("tavelin: needs an X11 display; Qt is not running on one.\n", stderr);
    return 1;
  }
  const int screenNumber = displayScreen();

  House::registerFonts();
  QApplication::setWindowIcon(TrayIcon::mark());

  // The platform: Qt's loop and windows, the real desktop on Qt's connection.
  QtMainQueue main;
  QtDialogs dialogs;
  PosixProcesses processes;
  InotifyFolderWatch folders(main);
  NoAppleScriptEngine appleScript;
  XdgAutostartLoginService loginService(bundle.bundleIdentifier(), bundle.path());
  XcbHotkeyService hotkeyService(connection, rootWindow(connection, screenNumber));
  X11PermissionProbe probe(connection, hotkeyService);
  X11Workspace workspace(connection, screenNumber);
  workspace.setActivateSelf(activateOwnWindow);
  X11Accessibility accessibility(connection, screenNumber);
  X11Screens screens(connection, screenNumber);
  XcbKeyTranslator keys(connection);
  XcbEventFeed feed;
  feed.add([&hotkeyService](const xcb_generic_event_t* event) { return hotkeyService.handleEvent(event); });
  // The workspace only looks at events: none is kept from Qt.
  feed.add([&workspace](const xcb_generic_event_t* event) {
    workspace.handleEvent(event);
    return false;
  });
  feed.add([&keys](const xcb_generic_event_t* event) { return keys.handleEvent(event); });

  // A configuration that cannot even be saved afresh has been reported by
  // the core; the process ends with its status.
  int fatalStatus = 0;
  std::shared_ptr<Core> core =
      Core::start({.main = main, .folders = folders, .dialogs = dialogs, .exit = [&](int status) { fatalStatus = status; }});
  if (!core) return fatalStatus != 0 ? fatalStatus : 1;
  Core::shared() = core;

  // The controllers.
  WindowManager windowManager(workspace, accessibility, screens);
  ScriptRunner scripts(main, processes, appleScript);
  TerminalLaunch launch(main, workspace, processes);
  TerminalAdapters terminals(launch, scripts);
  AppLauncher apps(workspace, main);
  apps.observeActivations();
  ActionRunner runner(scripts, apps, windowManager, terminals, [&core] { return core->settings().terminal; });
  RunAction run = [&runner](const KeyAction& action, RunningApplicationRef target, ActionRunner::Completion done) {
    runner.run(action, std::move(target), std::move(done));
  };
  HotkeyController hotkeys(hotkeyService, workspace, run);
  PermissionController::shared() = PermissionController::start({probe, workspace, bundle, main});
  LoginItem::shared() = LoginItem::start(loginService, workspace);

  // ⌘Q quits from any window of ours, the typing window included, which
  // passes it on.
  QAction quit(QStringLiteral("Quit"));
  quit.setShortcut(QKeySequence(Qt::META | Qt::Key_Q));
  quit.setShortcutContext(Qt::ApplicationShortcut);
  QObject::connect(&quit, &QAction::triggered, &application, &QCoreApplication::quit, Qt::QueuedConnection);
  QAction open(QStringLiteral("Open Tavelin"));
  QObject::connect(&open, &QAction::triggered, [] {
    if (auto& window = MainWindowController::shared()) window->showFromMenuBar();
  });

  QtKeyMonitors keyMonitors([&keys](const QKeyEvent& event) { return keys.translate(event); });
  QtTypingWindowFactory windows(*core, {&quit});
  MainWindowController::shared() =
      MainWindowController::make({*core, workspace, main, keyMonitors, windows, run, showSettings});

  AppDelegate delegate({bundle, *core, *MainWindowController::shared(), hotkeys, *PermissionController::shared(),
                        showSettings, setAppearance});
  TrayIcon tray(open, quit);

  instance.onReopen([&delegate] { delegate.applicationShouldHandleReopen(); });
  TerminationSignals signals([] { QCoreApplication::quit(); });
  QObject::connect(&application, &QCoreApplication::aboutToQuit, [&delegate] { delegate.applicationWillTerminate(); });
  QTimer::singleShot(0, &application, [&] {
    delegate.applicationDidFinishLaunching();
    tray.show();
    if (role == SingleInstance::Role::alone) {
      Log::warn("No single-instance socket at " + SingleInstance::defaultSocketPath().toStdString() +
                "; a second copy will not find this one.");
    }
    if (!signals.installed()) Log::warn("SIGTERM and SIGINT will end Tavelin without its stop line.");
  });

  const int status = QApplication::exec();

  // Shut-down has run and the log holds every line. Shared instances live
  // for the process, and a command still running in the background must not
  // hold the exit, so leave without tearing the object graph down.
  instance.release();
  std::fflush(nullptr);
  std::_Exit(status);
}

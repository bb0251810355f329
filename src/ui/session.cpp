#include "ui/session.h"

#include <QSettings>
#include <filesystem>
#include <system_error>

#include "app/controller_commands.h"
#include "app/file_commands.h"
#include "model/files.h"
#include "model/project_file.h"
#include "sim/sim_control.h"
#include "ui/main_window.h"
#include "ui/simulator/simulator_window.h"
#include "ui/texts.h"

#if __has_include("serial_qt/qt_serial_port.h")
#include "link/serial_port.h"
#include "serial_qt/qt_serial_port.h"
#define LIVRA_HAVE_LINK 1
#endif
#if __has_include("emulator/virtual_controller.h")
#include "emulator/virtual_controller.h"
#define LIVRA_HAVE_EMULATOR 1
#endif

namespace livra::ui {

struct Session::Link {
    LinkContext context;
#ifdef LIVRA_HAVE_LINK
    std::unique_ptr<SerialPortProvider> ports;
#endif
#ifdef LIVRA_HAVE_EMULATOR
    std::unique_ptr<VirtualController> controller;
#endif
    ~Link() {
#ifdef LIVRA_HAVE_EMULATOR
        if (controller) controller->stop();
#endif
    }
};

namespace {

// Qt's own options (QGuiApplication takes them later): "-platform offscreen"
// is how a headless run is asked for where no QT_QPA_PLATFORM reaches the
// program (Windows under wine). Those with a value take the next argument
// unless written as "-name=value".
int qtOptionLength(const std::vector<std::string>& args, std::size_t i) {
    static const char* const withValue[] = {"-platform", "-platformpluginpath", "-platformtheme", "-plugin",
                                            "-qwindowgeometry", "-qwindowtitle", "-qwindowicon", "-style",
                                            "-stylesheet", "-session", "-display"};
    static const char* const flags[] = {"-reverse", "-nograb", "-dograb", "-widgetcount"};
    const std::string& a = args[i];
    for (const char* f : flags)
        if (a == f) return 1;
    for (const char* name : withValue) {
        if (a == name) return i + 1 < args.size() ? 2 : 0;
        if (a.rfind(std::string(name) + "=", 0) == 0) return 1;
    }
    return 0;
}

// The main window's size and place between runs, beside the plan file in
// the working folder (tests give each run its own).
std::string windowPlaceFile() { return pathToUtf8(workingFolder() / "livra-configurator.ini"); }

void restoreWindowPlace(QWidget& w, const std::string& file) {
    QSettings s(QString::fromStdString(file), QSettings::IniFormat);
    const QByteArray place = s.value("window/geometry").toByteArray();
    if (!place.isEmpty()) w.restoreGeometry(place);
}

void saveWindowPlace(const QWidget& w, const std::string& file) {
    QSettings s(QString::fromStdString(file), QSettings::IniFormat);
    s.setValue("window/geometry", w.saveGeometry());
}

}  // namespace

std::optional<StartOptions> parseCommandLine(const std::vector<std::string>& args, std::string& error) {
    StartOptions o;
    error.clear();
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (const int n = qtOptionLength(args, i)) {
            i += std::size_t(n - 1);
            continue;
        }
        if (a == "--help" || a == "-h") {
            error = "help";
            return std::nullopt;
        } else if (a == "--port") {
            if (i + 1 >= args.size() || args[i + 1].empty()) {
                error = "--port needs a device name";
                return std::nullopt;
            }
            o.port = args[++i];
        } else if (a == "--virtual-controller") {
            o.virtualController = true;
        } else if (a == "--quit-after-show") {
            o.quitAfterShow = true;
        } else if (a.size() > 1 && a[0] == '-' && a[1] == '-') {
            error = "unknown option " + a;
            return std::nullopt;
        } else if (o.project.empty()) {
            o.project = a;
        } else {
            error = "only one project file can be opened";
            return std::nullopt;
        }
    }
    if (o.virtualController && !o.port.empty()) {
        error = "--port and --virtual-controller exclude each other";
        return std::nullopt;
    }
    return o;
}

Session::Session(StartOptions options)
    : options_(std::move(options)),
      config_(std::make_unique<Configuration>()),
      link_(std::make_unique<Link>()),
      simulator_(std::make_unique<SimulatorMemory>()) {}

Session::~Session() {
    if (window_ && !placeFile_.empty()) saveWindowPlace(*window_, placeFile_);
    window_.reset();
    link_.reset();
}

const std::string& Session::controllerPort() const { return link_->context.fixedPort; }

bool Session::start() {
    Configuration& c = *config_;
    c.ChannelCount = 64;
    c.CurrentProgram = FirstUserProgram;
    c.ProgramDir = pathToUtf8(workingFolder());
    // The system's own separator: the folder is shown and joined with names.
    if (!c.ProgramDir.empty() && c.ProgramDir.back() != '/' && c.ProgramDir.back() != '\\')
        c.ProgramDir += char(std::filesystem::path::preferred_separator);

    link_->context.fixedPort = options_.port;
#ifdef LIVRA_HAVE_LINK
    link_->ports = makeQtSerialPortProvider();
    link_->context.ports = link_->ports.get();
#endif
    window_ = std::make_unique<MainWindow>(c, &link_->context);
    placeFile_ = windowPlaceFile();
    restoreWindowPlace(*window_, placeFile_);
    window_->show();
    QObject::connect(window_.get(), &MainWindow::simulatorRequested, window_.get(), [this] {
        SimulatorWindow simulator(*config_, *simulator_, window_.get());
        simulator.exec();
    });

    bool ok = true;
    if (options_.virtualController) {
#ifdef LIVRA_HAVE_EMULATOR
        link_->controller = std::make_unique<VirtualController>();
        const std::string pty = link_->controller->start();
        if (pty.empty()) ok = false;
        link_->context.fixedPort = pty;
#else
        ok = false;
#endif
        if (!ok)
            window_->dialogs().messageBox(kErrorTitle, kVirtualControllerFailedText, Buttons::Ok, Icon::Error);
    }

    // A plan left over from an earlier run belongs to no project.
    std::error_code ec;
    std::filesystem::remove(planFilePath(c), ec);
    if (!options_.project.empty()) {
        // Later saves and file dialogs should not depend on the start folder.
        std::string path = options_.project;
        std::error_code abs;
        const auto full = std::filesystem::absolute(pathFromUtf8(path), abs);
        if (!abs) path = pathToUtf8(full);
        openProjectFromCommandLine(c, path, window_->dialogs(), *window_);
    }
    window_->startRefresh();
    return ok;
}

}  // namespace livra::ui

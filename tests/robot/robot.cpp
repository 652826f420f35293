// A random user against the real program. It plays a seeded session of actions (buttons, keys,
// typing, the file dialogs, port choices, a gateway that talks, vanishes and comes back, a
// programmer that succeeds, fails with any exit code, is missing or hangs, a close mid-flash,
// restarts, and, when it is built, the virtual board flashed for real) and after every action checks
// a model of what the window must show: the program answers, the buttons and labels fit the
// state the actions led to, every box and status text is one documented for it, and every byte
// the gateway sent while logging reached the view (and the log file) once and in order, and
// the program's handles and private memory stay within a bound.
//   robot.exe --actions N --seed S        exit code 0 when no check failed
// Each action is printed with the port then selected, so a failing run shows its way there.
#include "intelHex.h"
#include "serialPeer.h" // brings winsock2.h, which must come before windows.h

#include <windows.h>
#include <psapi.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "loaderApp.h"
#include "programmerStandIn.h"
#include "resource.h"
#include "systemPortDevice.h"
#ifdef VEXLOR_VIRTUAL_BOARD
#include "virtualBoard.h"
#include "winePaths.h"
#endif

namespace {

enum class Logging { Off, Running, Lost };
// The log view as the user left it: following what arrives at its end, held where they scrolled
// back to or selected, or no longer checked once the lines they held were trimmed away.
enum class View { Following, Held, Unknown };

// A line the gateway sent while logging, as the view must show it (without NUL bytes), and
// whether it must start with its time there.
struct SentLine {
    std::string text;
    bool timed;
};

// The Find dialog's controls (the system's template).
constexpr int kFindText = 0x480;
constexpr int kFindMatchCase = 0x411;
constexpr int kFindUp = 0x420;
constexpr int kFindDown = 0x421;

// "HH:MM:SS.mmm ", the time a timed line starts with.
bool isLineTime(const std::string& text)
{
    const char pattern[] = "00:00:00.000 ";
    if (text.size() != sizeof pattern - 1) {
        return false;
    }
    for (size_t i = 0; i < text.size(); ++i) {
        bool digit = text[i] >= '0' && text[i] <= '9';
        if (pattern[i] == '0' ? !digit : text[i] != pattern[i]) {
            return false;
        }
    }
    return true;
}

// Where the Find dialog's Find Next must select wanted in text, from the selection (npos: not
// found). Letters are folded as ASCII: what the robot looks for is ASCII.
size_t expectedMatch(std::string text, std::string wanted, size_t from, bool down, bool matchCase)
{
    if (!matchCase) {
        for (std::string* s : {&text, &wanted}) {
            for (char& c : *s) {
                c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
            }
        }
    }
    if (down) {
        return text.find(wanted, from);
    }
    return from == 0 ? std::string::npos : text.rfind(wanted, from - 1);
}

// Where the log view is read: the selection, the first character shown, the end in sight.
struct ViewPlace {
    DWORD start = 0;
    DWORD end = 0;
    DWORD firstShown = 0;
    bool endShown = false;
    bool operator==(const ViewPlace& other) const
    {
        return start == other.start && end == other.end && firstShown == other.firstShown &&
               endShown == other.endShown;
    }
};

// The ports of the session: a gateway on COM3, a silent device on COM4, a port in use on COM5,
// one that refuses the time-outs on COM6, a gateway that can be unplugged on COM7, and the
// virtual board running the gateway firmware on COM8; and a Mega 2560 with its USB IDs in the
// system's device list, plugged in and out on COM12, and a clone with a CH340 bridge, a silent
// device, plugged in and out on COM14.
const char kUnpluggable[] = "COM7";
const char kBoard[] = "COM8";
const char kNamedMega[] = "COM12";
const char kMegaEntry[] = "COM12 - Arduino Mega 2560";
const char kClone[] = "COM14";
const char kMegaPicked[] = "COM12 - Arduino Mega 2560 was plugged in and is now the selected port";
// How far the program's handles and private memory may grow over a run.
constexpr DWORD kHandleGrowth = 64;
constexpr SIZE_T kMemoryGrowth = 32 * 1024 * 1024;

const std::set<std::string> kStartBoxes = {
    "Vexlor Gateway not detected\non the selected serial port",
    "ERROR: Serial port could not be opened",
    "ERROR: Serial port access denied by the system (already in use?)",
    "ERROR: Could not set com port time-outs",
};

const char kNoPortNamed[] = "Pick a port from the list, or type its name such as COM5";

// The port a list entry or typed text names, as the program reads it: the first word, when it
// is "COM" and a number.
std::string portOf(const std::string& text)
{
    size_t start = text.find_first_not_of(" \t");
    if (start == std::string::npos) {
        return std::string();
    }
    std::string word = text.substr(start, text.find_first_of(" \t", start) - start);
    for (char& c : word) {
        c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
    }
    bool isPort = word.size() > 3 && word.size() <= 6 && word.compare(0, 3, "COM") == 0 &&
                  word[3] != '0' && word.find_first_not_of("0123456789", 3) == std::string::npos &&
                  atoi(word.c_str() + 3) <= 256;
    return isPort ? word : std::string();
}

bool isFullPath(const std::string& path)
{
    return (path.size() > 2 && path[1] == ':' && path[2] == '\\') || path.compare(0, 2, "\\\\") == 0;
}

// A firmware path the program remembers: a full path of a file that exists.
bool isExistingFile(const std::string& path)
{
    DWORD attributes = isFullPath(path) ? GetFileAttributesA(path.c_str()) : INVALID_FILE_ATTRIBUTES;
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

// What an upload makes of the path field's text.
enum class Image { Flashable, Refused, Unknown };

// A full path is read as the program reads it; a relative one depends on the program's current
// folder, which the open-file dialog moves, so either may come of it.
Image imageAt(const std::string& path)
{
    if (!isFullPath(path)) {
        return Image::Unknown;
    }
    std::vector<unsigned char> flash(256 * 1024, 0xFF);
    std::string error;
    size_t bytes = 0;
    return applyIntelHex(path, flash, error, &bytes) && bytes > 0 ? Image::Flashable
                                                                   : Image::Refused;
}

std::string lostStatus(const std::string& port)
{
    return port + " lost: waiting for it to come back...";
}

class Robot {
public:
    Robot(unsigned seed) : random(seed) {}
    ~Robot()
    {
        app.reset(); // ends the program, which may hold the log file open
        if (!keptFolder.empty()) {
            DeleteFileA((keptFolder + "\\kept.cpp.hex").c_str());
            DeleteFileA((keptFolder + "\\robot.log").c_str());
            WIN32_FIND_DATAA found; // the daily files
            HANDLE search = FindFirstFileA((keptFolder + "\\robot-*.log").c_str(), &found);
            for (bool more = search != INVALID_HANDLE_VALUE; more; more = FindNextFileA(search, &found)) {
                DeleteFileA((keptFolder + "\\" + found.cFileName).c_str());
            }
            FindClose(search);
            RemoveDirectoryA(keptFolder.c_str());
        }
    }

    // Plays count actions; returns the number played before the first failed check.
    int play(int count);
    const std::string& failure() const { return problem; }
    size_t statesVisited() const { return states.size(); }
    DWORD mostHandlesAdded() const { return handlesAdded; }
    SIZE_T mostMemoryAdded() const { return memoryAdded; }

private:
    struct Action {
        const char* name;
        int weight;
        void (Robot::*run)();
    };
    // Draws one action of a table by weight.
    template <size_t N> const Action& pick(const Action (&actions)[N]);

    // The environment.
    void setUpPorts();
    void actAsGateway(const std::string& port);
    // Starts the program afresh, or as a restart that finds what the last run remembered.
    bool startProgram(bool restarting);
    void restart();
    bool isGateway(const std::string& port) const;
    void uploadToBoard();
    void flashBoard();
    // Closes the window while the programmer hangs: "No" goes on, "Yes" ends the program.
    bool closeMidFlash();
    // A few of what a user may still do while the programmer runs.
    void actMidFlash();

    // The actions.
    void typePath();
    void typeCommand();
    void pressEnterOrEsc();
    void pickPort();
    void typePort();
    void scan();
    void chooseFile();
    void upload();
    void toggleLogging();
    void clearLog();
    void toggleDebug();
    void sendCommand();
    void recallCommand();
    void toggleDebugScreen();
    void gatewaySends();
    void unplug();
    void plugBackIn();
    void plugInMega();
    void plugInClone();
    void unplugClone();
    bool isListed(const std::string& port) const;
    void unplugMega();
    void plugOrUnplugMega();
    // Log mode's port went away: it waits for it, saying so.
    void noteLoggedPortLost(const std::string& port);
    // A device came or went at announced: an idle program lists it within a second, selecting a
    // Mega that arrived; log mode's program changes nothing until it stops.
    void followDeviceChange(DWORD announced);
    void checkSelectionRule(bool megaArrived);
    void noteListBeforeChange();
    bool megaShown() const;
    void toggleLogFile();
    void toggleDailyLogFiles();
    void saveLog();
    void askForAFileMidFlash();
    void askForTheBoardsFirmware();
    void doubleClickToggle();
    void scrollBack();
    void backToTheEnd();
    void findInLog();
    void toggleTimes();
    // Clicks a toggle once, or with the mouse twice as a double-click when doubleClicking.
    void pressToggle(int id);

    // The model and its checks.
    void fail(const std::string& what);
    std::string randomText(size_t limit);
    int below(int bound) { return static_cast<int>(random() % static_cast<unsigned>(bound)); }
    // Waits for a box of the main window, prints and closes it; after names what was done, for
    // when none comes.
    MessageBoxInfo takeBox(DWORD timeoutMs, const std::string& after);
    // Takes a box and checks it is one of texts.
    void expectBox(const std::set<std::string>& texts, DWORD timeoutMs);
    void checkWindow();
    void checkReceived();
    void checkLogFile();
    // The file log to file writes now: with a file a day, today's file of logPath.
    std::string loggedFile() const;
    void checkViewPlace();
    ViewPlace viewPlace(std::string& text);
    // Sends a message to the log view, as a user's mouse and keys would act on it.
    DWORD_PTR askLogView(UINT message, WPARAM wParam, LPARAM lParam);
    void noteState();

    std::mt19937 random;
    SerialPeer peer;
    std::unique_ptr<LoaderApp> app;
    std::string problem;
    std::set<std::string> states;

    // What the window must show.
    bool fileChosen = false;
    std::string pathText;   // what the path field holds
    std::string keptFolder; // a folder that outlives the program's runs
    std::string logPath;    // the file log to file writes
    // The port the list shows, as the robot put it there: the entry picked or selected by a
    // scan, or the port typed into it ("" when what was typed names none).
    std::string shownPort;
    Logging logging = Logging::Off;
    std::string loggingPort;
    bool gatewayDebug = false;
    bool fileLogging = false;
    bool dailyLogFiles = false; // "New log file each day", remembered over restarts
    std::string lastLoggedFile; // the file checked last: lines may be in it and in today's
    bool unplugged = false;
    std::unique_ptr<SystemPortDevice> megaDevice;
    std::string listedMega; // the Mega device the list shows, empty when none
    bool megaMapped = false; // the peer has made COM12 (and counts its opens)
    std::unique_ptr<SystemPortDevice> cloneDevice;
    // The port shown is the user's choice (picked, typed, or the last run's found at start-up):
    // devices that come and go never change it.
    bool portChosen = false;
    std::vector<std::string> listBefore; // the list's entries before the devices changed
    bool portsStale = false;  // a device came or went while a flash or log mode held a port
    bool midFlash = false;
    bool doubleClicking = false;
    View view = View::Following;
    std::string heldSelection; // what the user selected, and the start of the first line shown
    std::string heldFirstLine;
    std::vector<SentLine> unseen;        // lines sent while logging, not yet checked in the view
    bool timesShown = false;             // "Show times in the log" is ticked
    std::vector<std::string> toFile;     // lines sent while logging to the file
    int sent = 0;
    // The commands sent, newest first, kept across runs; the one Up and Down show (-1: the draft,
    // what the field held before).
    std::vector<std::string> commandsSent;
    int recalledAt = -1;
    std::string draft;
    DWORD handlesAtStart = 0;
    SIZE_T memoryAtStart = 0;
    DWORD handlesAdded = 0;
    SIZE_T memoryAdded = 0;
#ifdef VEXLOR_VIRTUAL_BOARD
    std::unique_ptr<VirtualBoard> board;
#endif
};

void Robot::fail(const std::string& what)
{
    if (problem.empty()) {
        problem = what;
    }
}

// Text of up to a little past limit characters; sometimes exactly limit, one past it, or thousands.
std::string Robot::randomText(size_t limit)
{
    const size_t longest = limit + 80;
    static const char* const samples[] = {"", "a", "10;ping;", "\"quoted\" name", "  spaces  ",
                                          "C:\\no\\such\\folder\\x.cpp.hex", "robot.cpp.hex"};
    switch (below(4)) {
    case 0:
        return samples[below(sizeof samples / sizeof samples[0])];
    case 1: {
        std::string text(static_cast<size_t>(below(static_cast<int>(longest) + 1)), 'x');
        for (char& c : text) {
            c = static_cast<char>(0x80 + below(0x80));
        }
        return text;
    }
    case 2: {
        const size_t lengths[] = {limit, limit + 1, 3000 + static_cast<size_t>(below(40))};
        return std::string(lengths[below(3)], 'L');
    }
    default: {
        std::string text(static_cast<size_t>(below(static_cast<int>(longest) + 1)), 'x');
        for (char& c : text) {
            c = static_cast<char>(0x20 + below(0x5F));
        }
        return text;
    }
    }
}

void Robot::actAsGateway(const std::string& port)
{
    peer.banner(port, 300, "20;00;Vexlor Gateway R47\r\n");
    peer.answer(port, "10;version;", "20;01;VER=1.1;REV=47;\r\n");
    peer.answer(port, "10;rfdebug=on;", "20;02;RFDEBUG=ON;\r\n");
    peer.answer(port, "10;rfdebug=off;", "20;03;RFDEBUG=OFF;\r\n");
}

void Robot::setUpPorts()
{
    char temp[MAX_PATH] = "";
    GetTempPathA(sizeof temp, temp);
    keptFolder = std::string(temp) + "vexlor-robot-" + std::to_string(GetCurrentProcessId());
    CreateDirectoryA(keptFolder.c_str(), nullptr);
    writeTextFile(keptFolder + "\\kept.cpp.hex", kSmallImage);
    peer.unmap("COM1");
    peer.mapPty("COM3");
    actAsGateway("COM3");
    peer.mapPty("COM4");
    peer.mapTo("COM5", "/");
    peer.mapTo("COM6", "/dev/null");
    peer.mapPty(kUnpluggable);
    actAsGateway(kUnpluggable);
    peer.unmap(kClone); // no port there until the clone is plugged in
#ifdef VEXLOR_VIRTUAL_BOARD
    board = std::make_unique<VirtualBoard>(VEXLOR_GATEWAY_FIRMWARE);
    if (!board->ready()) {
        fail("the virtual board did not start");
        return;
    }
    peer.mapTo(kBoard, board->portLink());
#endif
}

bool Robot::isGateway(const std::string& port) const
{
#ifdef VEXLOR_VIRTUAL_BOARD
    if (port == kBoard) {
        return true;
    }
#endif
    return port == "COM3" || (port == kUnpluggable && !unplugged) ||
           (port == kNamedMega && megaDevice != nullptr);
}

bool Robot::startProgram(bool restarting)
{
    app = std::make_unique<LoaderApp>(); // the last run's folder, and what was in it, are gone
    writeTextFile(app->workFolder() + "\\robot.cpp.hex", kSmallImage);
    ProgrammerStandIn(app->workFolder()).install();
    app->keepSettings = restarting;
    // What the last run remembers: the firmware file while it exists, log to file while its
    // file can be opened again, the port while it is listed (else a Mega plugged in).
    bool firmwareKept = restarting && isExistingFile(pathText);
    fileChosen = fileChosen && firmwareKept;
    pathText = firmwareKept ? pathText : std::string();
    fileLogging = fileLogging && restarting && logPath.compare(0, keptFolder.size(), keptFolder) == 0;
    timesShown = timesShown && restarting;
    dailyLogFiles = dailyLogFiles && restarting;
    std::string lastPort = restarting ? shownPort : std::string();
    logging = Logging::Off;
    gatewayDebug = false;
    recalledAt = -1;
    commandsSent.resize(restarting ? commandsSent.size() : 0);
    view = View::Following;
    unseen.clear();
    toFile.clear();
    if (!app->start()) {
        fail("the program did not start");
        return false;
    }
    // The last run's files are looked for off the window's thread; the window answers meanwhile.
    waitFor([&] { return app->text(IDC_STATUS_LINE) != "Looking for the last run's files.."; });
    handlesAtStart = app->handleCount();
    memoryAtStart = app->privateBytes();
    if (app->text(IDC_PATH_FIELD) != pathText) {
        fail("the path field came back as \"" + app->text(IDC_PATH_FIELD).substr(0, 80) +
             "\" instead of \"" + pathText + "\"");
    }
    bool lastPortListed = false;
    for (const std::string& entry : app->listItems(IDC_PORT_LIST)) {
        lastPortListed = lastPortListed || (!lastPort.empty() && portOf(entry) == lastPort);
    }
    std::string shown = app->text(IDC_PORT_LIST);
    if (lastPortListed ? portOf(shown) != lastPort : megaDevice != nullptr && shown != kMegaEntry) {
        fail("the start selected " + shown + " where the last run had " + lastPort);
    }
    shownPort = portOf(shown);
    portChosen = lastPortListed;
    listedMega = megaDevice != nullptr ? megaDevice->deviceId() : std::string();
    portsStale = false;
    return true;
}

void Robot::restart()
{
    checkReceived();
    checkLogFile();
    app->closeByCaptionButton();
    if (app->waitForExit(kCatchUpMs) != 0) {
        fail("closing did not end the program with exit code 0");
    }
    startProgram(true);
}

void Robot::typePath()
{
    pathText = randomText(1022); // the upload reads 1,022 characters
    app->setText(IDC_PATH_FIELD, pathText);
}

void Robot::typeCommand()
{
    app->setText(IDC_COMMAND_FIELD, randomText(98)); // the gateway gets 98
}

void Robot::pressEnterOrEsc()
{
    const int fields[] = {IDC_PATH_FIELD, IDC_COMMAND_FIELD, IDC_PORT_LIST, IDC_LOG_VIEW};
    int field = fields[below(4)];
    UINT key = below(2) ? VK_RETURN : VK_ESCAPE;
    if (app->isEnabled(field)) { // a disabled one cannot have the focus
        app->pressKey(field, key);
    }
}

// Draws from the session's port names, not from the list, so that a replay draws the same
// numbers whatever the list holds; a name not listed is not picked.
void Robot::pickPort()
{
    static const char* const names[] = {"COM3", "COM4", "COM5", "COM6", "COM7", "COM8", "COM12",
                                        "COM14"};
    std::string name = names[below(sizeof names / sizeof names[0])];
    for (const std::string& entry : app->listItems(IDC_PORT_LIST)) {
        if (portOf(entry) == name) {
            app->selectListItem(IDC_PORT_LIST, entry);
            shownPort = name;
            portChosen = true;
        }
    }
}

// Types over the port list: a port of the session or one that does not exist, as listed, in
// another letter case with blanks, or naming its device; or text that names no port.
void Robot::typePort()
{
    static const char* const names[] = {"COM3", "COM4", "COM5", "COM6", "COM7", "COM8", "COM10",
                                        "COM12"};
    std::string port = names[below(sizeof names / sizeof names[0])];
    std::string text = port;
    switch (below(4)) {
    case 0:
        break;
    case 1:
        text = "  com" + port.substr(3) + " ";
        break;
    case 2:
        text = port + " - Arduino Mega 2560";
        break;
    default:
        text = below(2) ? "my board" : "x" + randomText(20);
        port.clear();
        break;
    }
    if (app->isEnabled(IDC_PORT_LIST)) {
        app->setText(IDC_PORT_LIST, text);
        shownPort = port;
        portChosen = true;
    }
}

void Robot::scan()
{
    noteListBeforeChange();
    app->click(IDC_SCAN_BUTTON);
    app->settle();
    std::string plugged = megaDevice != nullptr ? megaDevice->deviceId() : std::string();
    if (megaShown() != !plugged.empty()) {
        fail("the scan did not list what is plugged in");
    }
    checkSelectionRule(!plugged.empty() && plugged != listedMega);
    listedMega = plugged;
    portsStale = false;
}

void Robot::chooseFile()
{
    if (below(3) == 0) {
        app->cancelFileChoice(); // changes nothing
    } else {
        // One that the next run finds again, or one in the folder that goes with this run.
        pathText = below(2) ? keptFolder + "\\kept.cpp.hex" : app->workFolder() + "\\robot.cpp.hex";
        app->chooseFile(pathText);
        fileChosen = true;
    }
}

void Robot::upload()
{
    if (!app->isEnabled(IDC_UPLOAD_BUTTON)) {
        return; // a user cannot press it
    }
    if (shownPort == kBoard) {
        uploadToBoard();
        return;
    }
    ProgrammerStandIn programmer(app->workFolder());
    if (shownPort.empty()) {
        int runs = programmer.runs();
        pressToggle(IDC_UPLOAD_BUTTON);
        expectBox({kNoPortNamed}, kCatchUpMs);
        if (programmer.runs() != runs) {
            fail("an upload ran the programmer with no port named");
        }
        return;
    }
    static const int exitCodes[] = {0, 1, 2, 255, -1, 0};
    int ending = below(6);
    int runsBefore = programmer.runs();
    programmer.install();
    programmer.setExitCode(ending < 2 ? exitCodes[below(6)] : 0);
    programmer.setRunTime(ending == 2 || ending == 3 ? 120000 : 0); // hangs: outlasts every wait
    if (ending == 4) {
        programmer.remove();
    }
    // A path that names no image is refused before the port is tested.
    Image image = imageAt(pathText);
    pressToggle(IDC_UPLOAD_BUTTON);
    bool gone = shownPort == kClone && cloneDevice == nullptr; // the upload stops at the probe
    bool hangs = !gone && image != Image::Refused && (ending == 2 || ending == 3) &&
                 programmer.waitForRuns(runsBefore + 1, kCatchUpMs);
    if (hangs && doubleClicking) {
        // A person looks again once the double-click is over; its second click, whenever the
        // program gets to it, must not stop what the first started.
        app->waitOutDoubleClick(IDC_UPLOAD_BUTTON);
        if (app->text(IDC_UPLOAD_BUTTON) != "Stop programming") {
            fail("the second click of a double-click stopped the flash");
            return;
        }
    }
    // A hanging programmer is stopped, as a user would, once the button offers it, or the
    // window is closed while it runs; the click that stops it comes at a person's pace, after
    // the double-click time (the driver sees to that).
    if (hangs && app->text(IDC_UPLOAD_BUTTON) == "Stop programming") {
        actMidFlash();
        if (!problem.empty()) {
            return;
        }
        if (ending == 3 && !closeMidFlash()) {
            return;
        }
        app->click(IDC_UPLOAD_BUTTON);
    }
    MessageBoxInfo box = takeBox(kCatchUpMs, "the upload");
    // A port that was unplugged is said to be gone, and nothing is run on it.
    if (image == Image::Refused && (programmer.runs() != runsBefore ||
                                    box.text.compare(0, 20, "Programming failed, ") != 0)) {
        fail("an upload of \"" + pathText.substr(0, 60) + "\", which names no image, ran the "
             "programmer or ended \"" + box.text + "\"");
    }
    if (gone && image == Image::Flashable && (box.text != "Programming failed, Serial port is not found" ||
         programmer.runs() != runsBefore)) {
        fail("an upload to the unplugged " + std::string(kClone) + " ended \"" + box.text + "\"");
    }
    // The programmer flashed the port the list showed, not one read for an earlier action.
    std::string used = programmer.params();
    if (programmer.runs() > runsBefore &&
        used.find("-P \\\\.\\" + shownPort + " ") == std::string::npos) {
        fail("the list showed " + shownPort + " but the programmer got: " + used);
    }
    const std::string& caption = box.caption;
    if (box.window != nullptr && ((caption != "Success" && caption != "Error" && caption != "Stopped") ||
                                  box.text.compare(0, 11, "Programming") != 0)) {
        fail("upload box \"" + caption + "\": " + box.text);
    }
    if (portsStale) {
        followDeviceChange(GetTickCount()); // what came or went during the flash is listed now
    }
}

bool Robot::closeMidFlash()
{
    checkReceived();
    checkLogFile();
    app->closeByCaptionButton();
    MessageBoxInfo question = app->waitForMessageBox(kCatchUpMs, true);
    if (question.window == nullptr || question.text.find("Stop programming and close") == std::string::npos) {
        fail("closing during a flash did not ask first");
        return false;
    }
    bool close = below(2) == 0;
    printf("  closed during a flash: %s\n", close ? "Yes" : "No");
    PostMessageA(question.window, WM_COMMAND, MAKEWPARAM(close ? IDYES : IDNO, BN_CLICKED), 0);
    if (!close) {
        app->waitUntilGone(question.window);
        app->settle();
        return true;
    }
    if (app->waitForExit(kCatchUpMs) != 0) {
        fail("\"Yes\" during a flash did not end the program with exit code 0");
        return false;
    }
    DWORD start = GetTickCount();
    while (processesNamed("avrdude.exe") != 0 && GetTickCount() - start < kCatchUpMs) {
        Sleep(100);
    }
    if (processesNamed("avrdude.exe") != 0) {
        fail("the programmer outlived the program closed during a flash");
        return false;
    }
    startProgram(true);
    return false;
}

void Robot::actMidFlash()
{
    static const Action actions[] = {
        {"type a path", 1, &Robot::typePath},
        {"type a command", 1, &Robot::typeCommand},
        {"press Enter or Esc", 1, &Robot::pressEnterOrEsc},
        {"debug screen", 1, &Robot::toggleDebugScreen},
        {"ask for a log file or the board's firmware", 1, &Robot::askForAFileMidFlash},
        {"clear the log", 1, &Robot::clearLog},
        {"scroll back in the log", 1, &Robot::scrollBack},
        {"plug in or unplug a named Mega", 1, &Robot::plugOrUnplugMega},
    };
    midFlash = true;
    for (int count = below(4); count > 0 && problem.empty(); --count) {
        const Action& action = pick(actions);
        printf("  during the flash: %s\n", action.name);
        (this->*action.run)();
    }
    midFlash = false;
    bool lockedOut = !app->isEnabled(IDC_LOGGING_BUTTON) && !app->isEnabled(IDC_SCAN_BUTTON) &&
                     !app->isEnabled(IDC_SELECT_FILE_BUTTON) && !app->isEnabled(IDC_PORT_LIST);
    if (problem.empty() && (!lockedOut || app->text(IDC_UPLOAD_BUTTON) != "Stop programming")) {
        fail("during a flash the window does not show the flash");
    }
    if (app->findMessageBox(true).window != nullptr) {
        fail("a box came up during the flash");
    }
}

void Robot::flashBoard()
{
#ifdef VEXLOR_VIRTUAL_BOARD
    if (app->isEnabled(IDC_UPLOAD_BUTTON)) {
        app->selectListItem(IDC_PORT_LIST, kBoard); // flashed before any other action
        shownPort = kBoard;
        upload();
    }
#endif
}

// A real flash of the gateway firmware through avrdude.exe; the board then logs again.
void Robot::uploadToBoard()
{
#ifdef VEXLOR_VIRTUAL_BOARD
    if (!installAvrdude(app->workFolder())) {
        fail("avrdude.exe could not be installed");
        return;
    }
    pathText = windowsPathOf(VEXLOR_GATEWAY_FIRMWARE);
    app->setText(IDC_PATH_FIELD, pathText);
    pressToggle(IDC_UPLOAD_BUTTON);
    MessageBoxInfo box = takeBox(60000 + kCatchUpMs, "the flash of the virtual board");
    if (box.window != nullptr && box.caption != "Success") {
        fail("the flash of the virtual board ended \"" + box.caption + "\": " + box.text);
    }
#endif
}

MessageBoxInfo Robot::takeBox(DWORD timeoutMs, const std::string& after)
{
    MessageBoxInfo box = app->waitForMessageBox(timeoutMs, true);
    if (box.window == nullptr) {
        fail(after + " showed no box");
        return box;
    }
    printf("  %s: %s\n", box.caption.c_str(), box.text.c_str());
    app->dismiss(box.window);
    if (!app->waitUntilGone(box.window)) {
        fail("the box \"" + box.text + "\" did not close");
    }
    app->settle();
    return box;
}

void Robot::expectBox(const std::set<std::string>& texts, DWORD timeoutMs)
{
    MessageBoxInfo box = takeBox(timeoutMs, "the action");
    if (box.window != nullptr && texts.count(box.text) == 0) {
        fail("unexpected box \"" + box.caption + "\": " + box.text);
    }
}

void Robot::toggleLogging()
{
    if (logging != Logging::Off) {
        checkReceived();
        app->click(IDC_LOGGING_BUTTON);
        app->settle();
        logging = Logging::Off;
        if (portsStale) {
            followDeviceChange(GetTickCount());
        }
        return;
    }
    std::string port = shownPort;
    if (port.empty()) {
        pressToggle(IDC_LOGGING_BUTTON);
        expectBox({kNoPortNamed}, kCatchUpMs);
        return;
    }
    // The serial peer counts the opens of the pseudo-terminals it made.
    bool counted = port == "COM3" || port == "COM4" || (port == kUnpluggable && !unplugged) ||
                   (port == kNamedMega && megaDevice != nullptr) ||
                   (port == kClone && cloneDevice != nullptr);
    int opensBefore = counted ? peer.opens(port) : 0;
    pressToggle(IDC_LOGGING_BUTTON);
    if (isGateway(port)) {
        app->settle();
        MessageBoxInfo box = app->findMessageBox(true);
        if (box.window != nullptr && port != kBoard) {
            fail("no gateway found on " + port + " (\"" + box.text + "\"); its device sent " +
                 std::to_string(peer.banners(port)) + " banners and was opened " +
                 std::to_string(peer.opens(port)) + " times, closed " + std::to_string(peer.closes(port)));
            return;
        }
        logging = Logging::Running;
        loggingPort = port;
        if (port != kBoard) {
            peer.received(port);
        }
    } else {
        expectBox(kStartBoxes, kCatchUpMs);
    }
    if (counted && peer.opens(port) == opensBefore) {
        fail("log mode with " + port + " shown in the list did not open " + port);
    }
}

void Robot::clearLog()
{
    checkReceived();
    app->click(IDC_CLEAR_LOG_BUTTON);
    app->settle();
    if (app->text(IDC_LOG_VIEW) != "") {
        fail("the log view was not cleared");
    }
    view = View::Following;
}

void Robot::toggleDebug()
{
    if (!app->isEnabled(IDC_GATEWAY_DEBUG_BUTTON)) {
        return;
    }
    app->click(IDC_GATEWAY_DEBUG_BUTTON);
    app->settle();
    gatewayDebug = !gatewayDebug;
    if (loggingPort != kBoard) {
        peer.received(loggingPort);
    }
}

void Robot::sendCommand()
{
    if (!app->isEnabled(IDC_SEND_COMMAND_BUTTON)) {
        return;
    }
    std::string typed = app->text(IDC_COMMAND_FIELD).substr(0, 98);
    app->click(IDC_SEND_COMMAND_BUTTON);
    if (typed.size() < 5) {
        expectBox({"Not a valid command"}, kCatchUpMs);
        return;
    }
    app->settle();
    if (commandsSent.empty() || commandsSent.front() != typed) {
        commandsSent.insert(commandsSent.begin(), typed);
    }
    commandsSent.resize(std::min<size_t>(commandsSent.size(), 50));
    recalledAt = -1;
    if (loggingPort == kBoard) {
        return; // the board's firmware takes it; the view shows the echo
    }
    std::string wire = peer.waitForReceived(loggingPort, typed.size() + 1, kCatchUpMs);
    if (wire != typed + "\n") {
        fail("typed \"" + typed + "\" but the gateway got \"" + wire + "\"");
    }
}

// Up some times, maybe Down after: the field shows what the robot's own list has there (past the
// newest, the draft), with the caret at its end.
void Robot::recallCommand()
{
    std::string field = app->text(IDC_COMMAND_FIELD);
    if (recalledAt < 0 || field != commandsSent[recalledAt]) { // an edit starts afresh
        recalledAt = -1;
        draft = field;
    }
    int ups = 1 + below(4), downs = below(3);
    for (int press = 0; press < ups + downs; ++press) {
        app->pressKey(IDC_COMMAND_FIELD, press < ups ? VK_UP : VK_DOWN);
    }
    int oldest = static_cast<int>(commandsSent.size()) - 1;
    recalledAt = std::max(std::min(recalledAt + ups, oldest) - downs, -1);
    std::string shown = app->text(IDC_COMMAND_FIELD);
    std::string expected = recalledAt < 0 ? draft : commandsSent[recalledAt];
    DWORD_PTR caret = 0;
    SendMessageTimeoutA(app->control(IDC_COMMAND_FIELD), EM_GETSEL, 0, 0, SMTO_BLOCK, kCatchUpMs, &caret);
    if (shown != expected ||
        (oldest >= 0 && caret != static_cast<DWORD_PTR>(MAKELONG(shown.size(), shown.size())))) {
        fail("Up " + std::to_string(ups) + ", Down " + std::to_string(downs) + ": the field shows \"" +
             shown.substr(0, 40) + "\", caret at " + std::to_string(LOWORD(caret)) + ", not \"" +
             expected.substr(0, 40) + "\" with the caret at its end");
    }
}

void Robot::toggleDebugScreen()
{
    app->click(IDC_DEBUG_SCREEN_CHECK);
    app->settle();
}

// A numbered line with a random payload: plain text, bytes 0x80 to 0xFF, NUL bytes, or a
// burst of 4 KB. The view shows it without its NUL bytes.
void Robot::gatewaySends()
{
    std::string payload = randomText(60);
    switch (below(3)) {
    case 0:
        payload += std::string("\0nul\0", 5);
        break;
    case 1:
        payload += std::string(4000, 'b');
        break;
    default:
        break;
    }
    for (char& c : payload) {
        if (c == '\n' || c == '\r') {
            c = ' ';
        }
    }
    char tag[32];
    wsprintfA(tag, "<robot %d>", ++sent);
    std::string line = tag + payload + "\r\n";
    // Nobody reads a port that is not logged, and a full pseudo-terminal would block the peer.
    if (logging != Logging::Running || loggingPort == kBoard) {
        return;
    }
    std::string port = loggingPort;
    peer.send(port, line);
    {
        std::string shown;
        for (char c : line) {
            if (c != '\0') {
                shown += c;
            }
        }
        unseen.push_back({shown, timesShown});
        if (fileLogging) {
            toFile.push_back(shown);
        }
    }
}

void Robot::unplug()
{
    if (unplugged) {
        return;
    }
    checkReceived();
    peer.vanish(kUnpluggable);
    unplugged = true;
    noteLoggedPortLost(kUnpluggable);
}

void Robot::noteLoggedPortLost(const std::string& port)
{
    if (logging == Logging::Running && loggingPort == port) {
        logging = Logging::Lost;
        DWORD start = GetTickCount();
        while (app->text(IDC_STATUS_LINE) != lostStatus(port) && GetTickCount() - start < kCatchUpMs) {
            Sleep(50);
        }
    }
}

void Robot::plugInMega()
{
    if (megaDevice != nullptr) {
        return;
    }
    noteListBeforeChange();
    peer.mapPty(kNamedMega);
    megaMapped = true;
    actAsGateway(kNamedMega);
    megaDevice = SystemPortDevice::mega(kNamedMega);
    if (!megaDevice->added()) {
        fail("the Mega could not be added to the device list");
        return;
    }
    DWORD announced = GetTickCount();
    announceDeviceChange(app->mainWindow(), kNamedMega, true);
    if (logging == Logging::Lost && loggingPort == kNamedMega) {
        logging = Logging::Running;
        while (app->text(IDC_STATUS_LINE) != "Logging..." && GetTickCount() - announced < kCatchUpMs) {
            Sleep(50);
        }
        peer.received(kNamedMega);
    }
    followDeviceChange(announced);
}

void Robot::unplugMega()
{
    if (megaDevice == nullptr) {
        return;
    }
    checkReceived();
    noteListBeforeChange();
    megaDevice.reset();
    peer.vanish(kNamedMega);
    DWORD announced = GetTickCount();
    announceDeviceChange(app->mainWindow(), kNamedMega, false);
    noteLoggedPortLost(kNamedMega);
    followDeviceChange(announced);
}

void Robot::plugOrUnplugMega()
{
    if (megaDevice == nullptr) {
        plugInMega();
    } else {
        unplugMega();
    }
}

bool Robot::megaShown() const
{
    std::vector<std::string> entries = app->listItems(IDC_PORT_LIST);
    return std::find(entries.begin(), entries.end(), kMegaEntry) != entries.end();
}

bool Robot::isListed(const std::string& port) const
{
    for (const std::string& entry : app->listItems(IDC_PORT_LIST)) {
        if (!port.empty() && portOf(entry) == port) {
            return true;
        }
    }
    return false;
}

// Before the first change the list has not followed yet.
void Robot::noteListBeforeChange()
{
    if (!portsStale) {
        listBefore = app->listItems(IDC_PORT_LIST);
    }
}

void Robot::followDeviceChange(DWORD announced)
{
    std::string plugged = megaDevice != nullptr ? megaDevice->deviceId() : std::string();
    if (logging != Logging::Off || midFlash) {
        Sleep(1000);
        if (megaShown() != !listedMega.empty()) {
            fail("the port list changed while log mode held its port");
        }
        portsStale = true;
        return;
    }
    // A refresh opens no port: opening one resets the board behind it. (The peer counts a port's
    // opens once it has mapped it.)
    int opensBefore = megaMapped ? peer.opens(kNamedMega) : 0;
    bool arrived = !plugged.empty() && plugged != listedMega;
    bool cloneListed = cloneDevice != nullptr;
    auto settled = [&]() {
        return megaShown() == !plugged.empty() && isListed(kClone) == cloneListed;
    };
    while (!settled() && GetTickCount() - announced < kCatchUpMs) {
        Sleep(50);
    }
    app->settle();
    if (!settled()) {
        fail("the list did not follow the devices plugged in and out: " +
             app->text(IDC_PORT_LIST));
    } else if (megaMapped && peer.opens(kNamedMega) != opensBefore) {
        fail("the list's refresh opened " + std::string(kNamedMega));
    } else {
        checkSelectionRule(arrived);
    }
    listedMega = plugged;
    portsStale = false;
}

// The port shown after the list changed: the user's choice stays, shown as "COMn - not
// connected" once it went away; the program selects a Mega that arrived, and says so, only
// when no choice is in force or the port shown is not listed.
void Robot::checkSelectionRule(bool megaArrived)
{
    std::string shown = app->text(IDC_PORT_LIST);
    bool listedNow = isListed(shownPort);
    if (megaArrived && (!portChosen || !listedNow)) {
        if (shown != kMegaEntry || app->text(IDC_STATUS_LINE) != kMegaPicked) {
            fail("a Mega plugged in was not selected and announced: \"" + shown + "\", \"" +
                 app->text(IDC_STATUS_LINE) + "\"");
        }
        shownPort = kNamedMega;
        portChosen = false;
        return;
    }
    if (shownPort.empty() && !portChosen) {
        shownPort = portOf(shown); // nothing was shown: the list shows its first entry
        return;
    }
    bool wasListed =
        std::any_of(listBefore.begin(), listBefore.end(),
                    [this](const std::string& entry) { return portOf(entry) == shownPort; });
    if (portOf(shown) != shownPort) {
        fail("the list changed the port shown from \"" + shownPort + "\" to \"" + shown + "\"");
    } else if (!shownPort.empty() && !listedNow && wasListed &&
               shown != shownPort + " - not connected") {
        fail("a port that went away is not shown as gone: \"" + shown + "\"");
    }
}

void Robot::plugInClone()
{
    if (cloneDevice != nullptr) {
        return;
    }
    noteListBeforeChange();
    peer.mapPty(kClone);
    cloneDevice = SystemPortDevice::clone(kClone);
    if (!cloneDevice->added()) {
        fail("the clone could not be added to the device list");
        return;
    }
    DWORD announced = GetTickCount();
    announceDeviceChange(app->mainWindow(), kClone, true);
    followDeviceChange(announced);
}

// Gone for good: the port leads nowhere, so the upload finds no port there.
void Robot::unplugClone()
{
    if (cloneDevice == nullptr) {
        return;
    }
    noteListBeforeChange();
    cloneDevice.reset();
    peer.vanish(kClone);
    peer.unmap(kClone);
    DWORD announced = GetTickCount();
    announceDeviceChange(app->mainWindow(), kClone, false);
    followDeviceChange(announced);
}

void Robot::plugBackIn()
{
    if (!unplugged) {
        return;
    }
    peer.mapPty(kUnpluggable);
    actAsGateway(kUnpluggable);
    unplugged = false;
    if (logging == Logging::Lost && loggingPort == kUnpluggable) {
        logging = Logging::Running;
        DWORD start = GetTickCount();
        while (app->text(IDC_STATUS_LINE) != "Logging..." && GetTickCount() - start < kCatchUpMs) {
            Sleep(50);
        }
        peer.received(kUnpluggable);
    }
}

void Robot::toggleLogFile()
{
    if (fileLogging) {
        checkReceived();
        app->systemCommand(IDM_LOG_TO_FILE);
        app->settle();
        fileLogging = false;
        checkLogFile();
        return;
    }
    logPath = (below(2) ? keptFolder : app->workFolder()) + "\\robot.log";
    lastLoggedFile.clear();
    const std::string& path = logPath;
    DeleteFileA(loggedFile().c_str());
    if (app->chooseSaveFile(IDM_LOG_TO_FILE, "Log to file", &path)) {
        fileLogging = true;
    } else {
        fail("the log file could not be chosen");
    }
}

// The file goes on at once under the other name; the lines before are in the one before.
void Robot::toggleDailyLogFiles()
{
    if (fileLogging) {
        checkReceived();
        checkLogFile();
    }
    app->systemCommand(IDM_DAILY_LOG_FILES);
    app->settle();
    dailyLogFiles = !dailyLogFiles;
    lastLoggedFile.clear();
}

// The log file and board commands open dialogs, whose loops would keep the flash from being
// watched and stopped: while the programmer runs they open nothing.
void Robot::askForAFileMidFlash()
{
    static const UINT commands[] = {IDM_SAVE_LOG_AS, IDM_LOG_TO_FILE, IDM_SAVE_BOARD_FIRMWARE,
                                    IDM_VERIFY_BOARD};
    app->systemCommand(commands[below(4)]);
    app->settle();
    MessageBoxInfo box = app->findMessageBox(true);
    if (box.window != nullptr) {
        fail("\"" + box.caption + "\" opened while the programmer runs");
        app->dismiss(box.window);
    }
}

// Reading back and verifying the board need its port: while log mode holds it they open
// nothing; otherwise their dialog opens (after the port is named), and Cancel runs nothing.
void Robot::askForTheBoardsFirmware()
{
    bool save = below(2) == 0;
    UINT command = save ? IDM_SAVE_BOARD_FIRMWARE : IDM_VERIFY_BOARD;
    if (logging != Logging::Off) {
        app->systemCommand(command);
        app->settle();
        MessageBoxInfo box = app->findMessageBox(true);
        if (box.window != nullptr) {
            fail("\"" + box.caption + "\" opened while log mode holds the port");
            app->dismiss(box.window);
        }
        return;
    }
    if (shownPort.empty()) {
        app->systemCommand(command);
        expectBox({kNoPortNamed}, kCatchUpMs);
        return;
    }
    ProgrammerStandIn programmer(app->workFolder());
    int runs = programmer.runs();
    if (!app->chooseSaveFile(command, save ? "Save the board's firmware as" : "Verify the board against",
                             nullptr)) {
        fail(std::string(save ? "saving" : "verifying") + " the board's firmware opened no dialog");
    }
    MessageBoxInfo box = app->findMessageBox(true);
    if (box.window != nullptr || programmer.runs() != runs) {
        fail("a cancelled dialog for the board's firmware went on: " + box.text);
    }
}

void Robot::pressToggle(int id)
{
    // The mouse reaches the button only where no other window (the debug screen) covers it.
    RECT area = {};
    GetWindowRect(app->control(id), &area);
    POINT centre = {(area.left + area.right) / 2, (area.top + area.bottom) / 2};
    if (!doubleClicking || WindowFromPoint(centre) != app->control(id)) {
        app->click(id);
    } else if (::testing::AssertionResult clicked = app->doubleClick(id); !clicked) {
        fail(std::string("the mouse could not double-click: ") + clicked.message());
    }
}

// A double-click on the upload or logging button does what one click does. Log mode is only
// double-clicked to start: on a running one the first click stops it and the second starts anew.
void Robot::doubleClickToggle()
{
    doubleClicking = true;
    if (logging == Logging::Off) {
        toggleLogging();
    } else {
        upload();
    }
    doubleClicking = false;
}

// Selects some of what the view holds and scrolls back to it, as a user who reads back or copies.
void Robot::scrollBack()
{
    std::string text = app->text(IDC_LOG_VIEW);
    if (text.size() < 2) {
        return;
    }
    DWORD start = static_cast<DWORD>(below(static_cast<int>(text.size()) - 1));
    DWORD end = start + static_cast<DWORD>(below(std::min(200, static_cast<int>(text.size() - start))));
    askLogView(EM_SETSEL, start, end);
    askLogView(EM_SCROLLCARET, 0, 0);
    ViewPlace place = viewPlace(text);
    view = View::Held;
    heldSelection = text.substr(place.start, place.end - place.start);
    heldFirstLine = text.substr(place.firstShown, 40);
}

// Ctrl+End: the caret after the last character, the end in sight; the view follows again.
void Robot::backToTheEnd()
{
    DWORD_PTR length = askLogView(WM_GETTEXTLENGTH, 0, 0);
    askLogView(EM_SETSEL, length, static_cast<LPARAM>(length));
    askLogView(EM_SCROLLCARET, 0, 0);
    view = View::Following;
}

// "Find...", a line's tag (which the view may hold, once or more, or no longer) in
// either case, Find Next up or down: the next match from the selection is selected and in sight,
// or "not found" is said and the selection stays. The dialog is closed again.
void Robot::findInLog()
{
    std::string wanted = "<robot " + std::to_string(1 + below(sent + 1)) + ">";
    bool matchCase = below(2) == 0;
    bool down = below(2) == 0;
    if (below(2) == 0) {
        wanted[1] = 'R';
    }
    std::string text = app->text(IDC_LOG_VIEW);
    ViewPlace before = viewPlace(text);
    const size_t oldSize = text.size();
    const std::string oldStart = text.substr(0, 64);
    size_t expected = expectedMatch(text, wanted, down ? before.end : before.start, down, matchCase);
    // "Find..." from the system menu: Ctrl+F pressed on the display (the end-to-end test's way)
    // has, in long robot runs, ended the serial peer's process, which the robot cannot do without.
    below(2);
    app->systemCommand(IDM_FIND);
    MessageBoxInfo dialog = app->waitForMessageBox(kCatchUpMs, true);
    if (dialog.window == nullptr || dialog.caption != "Find") {
        fail("no Find dialog opened");
        return;
    }
    SendMessageA(GetDlgItem(dialog.window, kFindText), WM_SETTEXT, 0,
                 reinterpret_cast<LPARAM>(wanted.c_str()));
    SendMessageA(GetDlgItem(dialog.window, kFindMatchCase), BM_SETCHECK,
                 matchCase ? BST_CHECKED : BST_UNCHECKED, 0);
    SendMessageA(GetDlgItem(dialog.window, kFindUp), BM_SETCHECK, down ? BST_UNCHECKED : BST_CHECKED, 0);
    SendMessageA(GetDlgItem(dialog.window, kFindDown), BM_SETCHECK, down ? BST_CHECKED : BST_UNCHECKED, 0);
    PostMessageA(dialog.window, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    // Lines arriving meanwhile may bring a match (and move a caret that follows the end); the
    // oldest lines giving way to the view's limit move everything.
    MessageBoxInfo notFound;
    ViewPlace after;
    waitFor([&] {
        notFound = app->findBoxOwnedBy(dialog.window);
        DWORD start = 0;
        DWORD end = 0;
        askLogView(EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
        return notFound.window != nullptr ||
               (end > start && (start != before.start || end != before.end));
    });
    bool trimmed = app->text(IDC_LOG_VIEW).compare(0, oldStart.size(), oldStart) != 0;
    if (notFound.window != nullptr) {
        if (notFound.text != "\"" + wanted + "\" not found in the log view") {
            fail("the Find dialog said \"" + notFound.text + "\"");
        }
        app->dismiss(notFound.window);
        app->waitUntilGone(notFound.window);
        if (expected != std::string::npos && !trimmed) {
            fail("\"" + wanted + "\" was not found, though the view holds it");
        }
    } else {
        text = app->text(IDC_LOG_VIEW);
        after = viewPlace(text);
        bool selected = after.end - after.start == wanted.size() &&
                        expectedMatch(text, wanted, after.start, true, matchCase) == after.start;
        bool expectedOne = after.start == expected || after.start + wanted.size() > oldSize || trimmed;
        LRESULT position = static_cast<LRESULT>(askLogView(EM_POSFROMCHAR, after.end - 1, 0));
        RECT client = {};
        GetClientRect(app->control(IDC_LOG_VIEW), &client);
        int top = static_cast<short>(HIWORD(position));
        if (!selected || !expectedOne) {
            fail("Find Next selected " + std::to_string(after.start) + "-" + std::to_string(after.end) +
                 " for \"" + wanted + "\", expected " + std::to_string(expected));
        } else if (position == -1 || top < 0 || top >= client.bottom) {
            fail("the match Find Next selected is not in sight");
        }
        view = View::Held;
        heldSelection = text.substr(after.start, after.end - after.start);
        heldFirstLine = text.substr(after.firstShown, 40);
    }
    PostMessageA(dialog.window, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    if (!app->waitUntilGone(dialog.window)) {
        fail("the Find dialog did not close");
    }
}

// "Show times in the log": the lines sent from now on start with their time, or no longer do.
// Those shown before stay as they are.
void Robot::toggleTimes()
{
    checkReceived();
    app->systemCommand(IDM_SHOW_TIMES);
    app->settle();
    timesShown = !timesShown;
}

DWORD_PTR Robot::askLogView(UINT message, WPARAM wParam, LPARAM lParam)
{
    DWORD_PTR result = 0;
    SendMessageTimeoutA(app->control(IDC_LOG_VIEW), message, wParam, lParam, SMTO_BLOCK, kCatchUpMs,
                        &result);
    return result;
}

ViewPlace Robot::viewPlace(std::string& text)
{
    // Read twice around the text, so that text and place belong together.
    ViewPlace place;
    for (ViewPlace before; ; before = place) {
        askLogView(EM_GETSEL, reinterpret_cast<WPARAM>(&place.start),
                   reinterpret_cast<LPARAM>(&place.end));
        place.firstShown =
            static_cast<DWORD>(askLogView(EM_LINEINDEX, askLogView(EM_GETFIRSTVISIBLELINE, 0, 0), 0));
        DWORD_PTR position = text.empty() ? 0 : askLogView(EM_POSFROMCHAR, text.size() - 1, 0);
        RECT client = {};
        GetClientRect(app->control(IDC_LOG_VIEW), &client);
        int top = static_cast<short>(HIWORD(position));
        place.endShown = top >= 0 && top < client.bottom;
        if (place == before) {
            return place;
        }
        text = app->text(IDC_LOG_VIEW);
    }
}

// A user following the view sees its end; one who scrolled back keeps their selection and first
// line, also when the oldest lines give way (unless those went with them).
void Robot::checkViewPlace()
{
    if (view == View::Unknown) {
        return;
    }
    std::string text = app->text(IDC_LOG_VIEW);
    ViewPlace place = viewPlace(text);
    if (view == View::Following) {
        if (place.start != text.size() || place.end != text.size() || !place.endShown) {
            fail("the view does not follow its end: selection " + std::to_string(place.start) + "-" +
                 std::to_string(place.end) + " of " + std::to_string(text.size()) +
                 (place.endShown ? "" : ", end not shown"));
        }
        return;
    }
    if (text.find(heldFirstLine) == std::string::npos) {
        view = View::Unknown; // the lines the user read have given way
        return;
    }
    if (text.compare(place.start, place.end - place.start, heldSelection) != 0 ||
        text.compare(place.firstShown, heldFirstLine.size(), heldFirstLine) != 0) {
        fail("the view moved away from where the user scrolled back to: now shows \"" +
             text.substr(place.firstShown, 40) + "\", held \"" + heldFirstLine + "\"");
    }
}

void Robot::saveLog()
{
    std::string path = app->workFolder() + "\\saved.txt";
    DeleteFileA(path.c_str());
    if (!app->chooseSaveFile(IDM_SAVE_LOG_AS, "Save log as", &path)) {
        fail("the log could not be saved");
        return;
    }
    if (logging == Logging::Off) {
        if (readTextFile(path) != app->text(IDC_LOG_VIEW)) {
            fail("the saved log differs from the view");
        }
    }
}

// Every line sent while logging is in the view once, in the order sent.
void Robot::checkReceived()
{
    if (unseen.empty()) {
        return;
    }
    DWORD start = GetTickCount();
    std::string view = app->text(IDC_LOG_VIEW);
    while (view.find(unseen.back().text) == std::string::npos && GetTickCount() - start < kCatchUpMs) {
        Sleep(100);
        view = app->text(IDC_LOG_VIEW);
    }
    size_t at = 0;
    for (const SentLine& sent : unseen) {
        const std::string& line = sent.text;
        size_t found = view.find(line, at);
        if (found == std::string::npos) {
            fail("a line the gateway sent is missing from the view, or out of order: " +
                 line.substr(0, 40));
            break;
        }
        if (view.find(line, found + 1) != std::string::npos) {
            fail("a line the gateway sent is shown twice: " + line.substr(0, 40));
        }
        if ((found >= 13 && isLineTime(view.substr(found - 13, 13))) != sent.timed) {
            fail(std::string(sent.timed ? "a line sent with times on does not start with its time: "
                                        : "a line sent with times off starts with a time: ") +
                 line.substr(0, 40));
        }
        at = found + line.size();
    }
    unseen.clear();
}

void Robot::checkLogFile()
{
    if (toFile.empty()) {
        return;
    }
    std::string file = loggedFile();
    // Midnight may have come since the last check.
    bool dayChanged = !lastLoggedFile.empty() && lastLoggedFile != file;
    std::string text = (dayChanged ? readTextFile(lastLoggedFile) : "") + readTextFile(file);
    lastLoggedFile = file;
    size_t at = 0;
    for (const std::string& line : toFile) {
        size_t found = text.find(line.substr(0, line.size() - 2), at);
        if (found == std::string::npos) {
            fail("a line the gateway sent is missing from the log file: " + line.substr(0, 40));
            break;
        }
        at = found + 1;
    }
    toFile.clear();
}

std::string Robot::loggedFile() const
{
    if (!dailyLogFiles) {
        return logPath;
    }
    SYSTEMTIME today;
    GetLocalTime(&today);
    char date[16];
    wsprintfA(date, "-%04u-%02u-%02u", today.wYear, today.wMonth, today.wDay);
    return logPath.substr(0, logPath.rfind('.')) + date + ".log";
}

void Robot::checkWindow()
{
    if (!app->isRunning()) {
        fail("the program ended");
        return;
    }
    if (!app->settle()) {
        fail("the window did not answer within " + std::to_string(kCatchUpMs / 1000) + " s");
        return;
    }
    MessageBoxInfo box = app->findMessageBox(true);
    if (box.window != nullptr) {
        fail("a box was left open: \"" + box.caption + "\": " + box.text);
        app->dismiss(box.window);
        return;
    }
    bool off = logging == Logging::Off;
    struct Expectation {
        const char* what;
        bool actual;
        bool expected;
    };
    const Expectation expectations[] = {
        {"upload enabled", app->isEnabled(IDC_UPLOAD_BUTTON), fileChosen && off},
        {"send command enabled", app->isEnabled(IDC_SEND_COMMAND_BUTTON), logging == Logging::Running},
        {"debug button enabled", app->isEnabled(IDC_GATEWAY_DEBUG_BUTTON), logging == Logging::Running},
        {"logging ON shown", app->isVisible(IDC_LOGGING_ON_LABEL), !off},
        {"logging OFF shown", app->isVisible(IDC_LOGGING_OFF_LABEL), off},
        {"debug ON shown", app->isVisible(IDC_GATEWAY_DEBUG_ON_LABEL), gatewayDebug},
        {"logging button enabled", app->isEnabled(IDC_LOGGING_BUTTON), true},
        {"scan enabled", app->isEnabled(IDC_SCAN_BUTTON), true},
    };
    for (const Expectation& check : expectations) {
        if (check.actual != check.expected) {
            fail(std::string(check.what) + (check.actual ? " but should not be" : " but is not"));
        }
    }
    checkViewPlace();
    std::string status = app->text(IDC_STATUS_LINE);
    bool statusFits = status == "OK" || (logging == Logging::Off && status == kMegaPicked) ||
                      (logging == Logging::Running && status == "Logging...") ||
                      (logging == Logging::Lost && status == lostStatus(loggingPort));
    if (!statusFits) {
        fail("status line \"" + status + "\"");
    }
    DWORD handles = app->handleCount();
    SIZE_T memory = app->privateBytes();
    handlesAdded = std::max(handlesAdded, handles > handlesAtStart ? handles - handlesAtStart : 0);
    memoryAdded = std::max(memoryAdded, memory > memoryAtStart ? memory - memoryAtStart : 0);
    if (handles > handlesAtStart + kHandleGrowth) {
        fail("handles grew from " + std::to_string(handlesAtStart) + " to " + std::to_string(handles));
    }
    if (memory > memoryAtStart + kMemoryGrowth) {
        fail("private memory grew from " + std::to_string(memoryAtStart) + " to " + std::to_string(memory));
    }
}

void Robot::noteState()
{
    char state[64];
    wsprintfA(state, "%d%d%d%d%d%d", fileChosen, static_cast<int>(logging), gatewayDebug,
              fileLogging, unplugged, app->isVisible(IDC_GATEWAY_DEBUG_ON_LABEL));
    states.insert(state);
}

template <size_t N> const Robot::Action& Robot::pick(const Action (&actions)[N])
{
    int total = 0;
    for (const Action& action : actions) {
        total += action.weight;
    }
    int drawn = below(total);
    size_t chosen = 0;
    while (drawn >= actions[chosen].weight) {
        drawn -= actions[chosen].weight;
        ++chosen;
    }
    return actions[chosen];
}

int Robot::play(int count)
{
    static const Action actions[] = {
        {"type a path", 8, &Robot::typePath},
        {"type a command", 8, &Robot::typeCommand},
        {"press Enter or Esc", 6, &Robot::pressEnterOrEsc},
        {"pick a port", 8, &Robot::pickPort},
        {"type a port", 3, &Robot::typePort},
        {"scan the ports", 2, &Robot::scan},
        {"choose a file", 3, &Robot::chooseFile},
        {"upload", 3, &Robot::upload},
        {"flash the virtual board", 1, &Robot::flashBoard},
        {"serial port logging", 6, &Robot::toggleLogging},
        {"clear the log", 2, &Robot::clearLog},
        {"gateway debug", 3, &Robot::toggleDebug},
        {"send the command", 4, &Robot::sendCommand},
        {"recall a command", 4, &Robot::recallCommand},
        {"debug screen", 2, &Robot::toggleDebugScreen},
        {"the gateway sends", 10, &Robot::gatewaySends},
        {"unplug COM7", 2, &Robot::unplug},
        {"plug COM7 back in", 2, &Robot::plugBackIn},
        {"plug in a named Mega", 2, &Robot::plugInMega},
        {"unplug it", 2, &Robot::unplugMega},
        {"plug in a clone", 1, &Robot::plugInClone},
        {"unplug the clone", 1, &Robot::unplugClone},
        {"log to file", 2, &Robot::toggleLogFile},
        {"new log file each day", 1, &Robot::toggleDailyLogFiles},
        {"save the log", 1, &Robot::saveLog},
        {"restart the program", 1, &Robot::restart},
        {"double-click a toggle", 2, &Robot::doubleClickToggle},
        {"scroll back in the log", 3, &Robot::scrollBack},
        {"back to the end of the log", 1, &Robot::backToTheEnd},
        {"find in the log", 2, &Robot::findInLog},
        {"times on or off", 1, &Robot::toggleTimes},
        {"ask for the board's firmware", 1, &Robot::askForTheBoardsFirmware},
    };
    setUpPorts();
    if (!startProgram(false)) {
        return 0;
    }
    for (int played = 0; played < count; ++played) {
        const Action* action = &pick(actions);
        printf("%d %s (%s)\n", played + 1, action->name, app->text(IDC_PORT_LIST).c_str());
        (this->*action->run)();
        if (problem.empty()) {
            checkWindow();
        }
        if (problem.empty() && played % 25 == 24) {
            checkReceived();
        }
        if (!problem.empty()) {
            problem = "action " + std::to_string(played + 1) + " (" + action->name + "): " + problem;
            return played;
        }
        noteState();
    }
    checkReceived();
    checkLogFile();
    return problem.empty() ? count : count - 1;
}

} // namespace

int main(int argc, char** argv)
{
    int actions = 1000;
    unsigned seed = 1;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (strcmp(argv[i], "--actions") == 0) {
            actions = atoi(argv[i + 1]);
        } else if (strcmp(argv[i], "--seed") == 0) {
            seed = static_cast<unsigned>(strtoul(argv[i + 1], nullptr, 10));
        }
    }
    Robot robot(seed);
    DWORD start = GetTickCount();
    int played = robot.play(actions);
    printf("robot: seed %u, %d of %d actions played in %lu s, %u states visited, %d invariant "
           "violations; handles at most +%lu, private memory at most +%.1f MB\n",
           seed, played, actions, (GetTickCount() - start) / 1000, static_cast<unsigned>(robot.statesVisited()),
           robot.failure().empty() ? 0 : 1, robot.mostHandlesAdded(),
           static_cast<double>(robot.mostMemoryAdded()) / (1024 * 1024));
    if (!robot.failure().empty()) {
        printf("first violation: %s\nreplay: tools/robot.sh --actions %d --seed %u\n",
               robot.failure().c_str(), played + 1, seed);
        return 1;
    }
    return 0;
}

// The programmer reads the whole flash, the bootloader with it, into a temporary file of the
// program's own; the program then writes the firmware part to the user's file. So the copy can
// be flashed back without being refused for its bootloader, a name the code page cannot write
// is no obstacle, and a read that fails halfway leaves the user's file alone.
//
// Subsystem floor (programming/): knows no window; includes serial/ and platform/ only.
#include "readBack.h"

#include <windows.h>

#include "platform/codePagePath.h"
#include "platform/wholeFile.h"
#include "programmerOutput.h"

namespace {

// The board's whole flash as HEX, 0xFF lines included, is under a megabyte.
constexpr size_t kLargestReadBack = kLargestImageFile;

// A file of the program's own in the temporary folder, removed when it goes.
class TemporaryFile {
public:
    TemporaryFile()
    {
        wchar_t folder[MAX_PATH];
        wchar_t name[MAX_PATH];
        DWORD length = GetTempPathW(MAX_PATH, folder);
        if (length != 0 && length < MAX_PATH && GetTempFileNameW(folder, L"vlr", 0, name) != 0) {
            path = name;
        } else {
            error = GetLastError();
        }
    }
    ~TemporaryFile()
    {
        if (!path.empty()) {
            DeleteFileW(path.c_str());
        }
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    std::wstring path; // empty when none could be made
    DWORD error = 0;
};

bool folderExists(const std::wstring& path)
{
    size_t separator = path.find_last_of(L"\\/");
    if (separator == std::wstring::npos) {
        return true; // the current folder
    }
    std::wstring folder = path.substr(0, separator + 1);
    DWORD attributes = GetFileAttributesW(folder.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// The refusal of a save path, or none.
bool savePathRefused(const std::wstring& savePath, UploadVerdict& refusal)
{
    DWORD attributes = GetFileAttributesW(savePath.c_str());
    bool isFolder = savePath.empty() || savePath.back() == L'\\' || savePath.back() == L'/' ||
                    (attributes != INVALID_FILE_ATTRIBUTES &&
                     (attributes & FILE_ATTRIBUTE_DIRECTORY));
    if (isFolder) {
        refusal = failedVerdict(TASK_READ, ", the name given for the copy is a folder's.\n"
                                           "Give the copy a file name, such as board.hex.", 5);
        refusal.traceLine = "Reading the board failed, path is a folder\n";
        return true;
    }
    if (!folderExists(savePath)) {
        refusal = failedVerdict(TASK_READ, ", the folder for the copy is not there.\n"
                                           "Choose a folder that exists and try again.", 5);
        refusal.traceLine = "Reading the board failed, folder not found\n";
        return true;
    }
    return false;
}

// Writes the firmware part of what the programmer read to savePath; the verdict says how it went.
UploadVerdict keepCopy(const std::wstring& readPath, const std::wstring& savePath,
                       ProgrammerWatcher& watcher, const UploadVerdict& saved)
{
    std::string text;
    DWORD error = 0;
    std::string firmware;
    if (readWholeFile(readPath, kLargestReadBack, text, error)) {
        firmware = firmwarePartOf(text);
    }
    if (firmware.empty()) {
        return failedVerdict(TASK_READ, ": the programmer's copy of the board could not be read "
                                        "back.\nTry again.", kFileNotWrittenExitCode);
    }
    if (!replaceWholeFile(savePath, firmware, error)) {
        return failedVerdict(TASK_READ, ": the copy could not be written to\n" +
                                            narrowText(savePath) + "\n(" +
                                            describeFileError(error) + ").",
                             kFileNotWrittenExitCode);
    }
    ImageCheck check = checkImage(firmware);
    watcher.outputLine("Saved " + withThousands(check.dataBytes) +
                       " bytes of firmware (the bootloader left out) in " + narrowText(savePath));
    return saved;
}

} // namespace

UploadVerdict saveBoardFirmware(const std::string& portName, const std::wstring& savePath,
                                ProgrammerWatcher& watcher, std::string& reason)
{
    reason.clear();
    UploadVerdict refusal;
    if (savePathRefused(savePath, refusal)) {
        return refusal;
    }
    TemporaryFile copy;
    if (copy.path.empty()) {
        return failedVerdict(TASK_READ, ": no temporary file could be made for the copy (" +
                                            describeFileError(copy.error) + ").",
                             kFileNotWrittenExitCode);
    }
    PreparedRun run;
    if (!prepareRun(TASK_READ, portName, copy.path, run, refusal)) {
        return refusal;
    }
    run.shownPath = narrowText(savePath);
    const UploadVerdict saved = {"The board's firmware is saved in\n" + narrowText(savePath),
                                 "Success", "Reading the board Success\n", 0};
    UploadVerdict verdict = runPrepared(run, "", saved, watcher, reason);
    if (verdict.exitCode != 0) {
        return verdict;
    }
    verdict = keepCopy(copy.path, savePath, watcher, saved);
    if (verdict.exitCode != 0) {
        reason = verdict.text.substr(0, verdict.text.find('\n'));
    }
    return verdict;
}

UploadVerdict verifyBoardFirmware(const std::string& portName, const std::wstring& firmwarePath,
                                  ProgrammerWatcher& watcher, std::string& reason)
{
    static const UploadVerdict kHolds = {"The board holds this firmware", "Success",
                                         "Verifying the board Success\n", 0};
    static const UploadVerdict kDiffers = {"The board's firmware differs from this file",
                                           "Verify", "Verifying the board: differs\n",
                                           kBoardDiffersExitCode};
    reason.clear();
    PreparedRun run;
    UploadVerdict refusal;
    ImageCheck image;
    if (!prepareImageRun(TASK_VERIFY, portName, firmwarePath, true, run, image, refusal)) {
        return refusal;
    }
    ProgrammerRun finished;
    UploadVerdict verdict = runPrepared(run, "", kHolds, watcher, reason, &finished);
    if (finished.outcome == PROGRAMMER_FAILED && saysContentDiffers(finished.lastError)) {
        reason = "The board's firmware differs from this file (" + finished.lastError + ").";
        return kDiffers;
    }
    return verdict;
}

// The upload workflow: check the path and the image, test the port, run the programmer and give
// the verdict. Nothing that can be found wrong with the file reaches the programmer, which
// would reset the board first and only then fail. It knows no window: the window and the
// command line each hand it a watcher of their own.
//
// Subsystem floor (programming/): knows no window; includes serial/ and platform/ only.
#include "upload.h"

UploadVerdict flashFirmware(const std::string& portName, const std::wstring& firmwarePath,
                            ProgrammerWatcher& watcher, std::string& reason)
{
    static const UploadVerdict kSucceeded = {"Programming successful", "Success",
                                             "Programming Arduino Success\n", 0};
    reason.clear();
    PreparedRun run;
    UploadVerdict refusal;
    ImageCheck image;
    if (!prepareImageRun(TASK_FLASH, portName, firmwarePath, false, run, image, refusal)) {
        return refusal;
    }
    return runPrepared(run, imageSummary(image), kSucceeded, watcher, reason);
}

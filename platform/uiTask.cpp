// A task's two parts travel together; the message that hands it back owns it from then on.
//
// Ground floor (platform/): knows no feature, includes nothing of the program; every floor may
// use it.
#include "uiTask.h"

#include <thread>

namespace {

struct UiTask {
    std::function<void()> work;
    std::function<void()> done;
};

} // namespace

void runOffWindowThread(HWND window, std::function<void()> work, std::function<void()> done)
{
    UiTask* task = new UiTask{std::move(work), std::move(done)};
    std::thread([window, task]() {
        task->work();
        if (!PostMessageA(window, kUiTaskDoneMessage, 0, reinterpret_cast<LPARAM>(task))) {
            delete task; // the window is gone: nobody waits for the result
        }
    }).detach();
}

void finishUiTask(LPARAM message)
{
    UiTask* task = reinterpret_cast<UiTask*>(message);
    task->done();
    delete task;
}

// Log mode: start with gateway detection, polling into the log view, stop.
#include "logMode.h"

void toggleLogMode()
{
    // Log mode arrives with the gateway-logging work.
}

void pollGateway()
{
    // Nothing to poll until log mode exists.
}

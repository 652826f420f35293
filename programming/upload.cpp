// The upload workflow: read port and path, test the port, run the programmer, report.
#include "upload.h"

void uploadFirmware()
{
    // The workflow arrives with the firmware-flashing work.
}

// Choosing the firmware image: the open-file dialog and the path field.
#include "fileSelection.h"

void selectFirmwareFile()
{
    // The open-file dialog arrives with the firmware-flashing work.
}

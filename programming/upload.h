// The upload workflow behind "Upload/Program Firmware to device".
#pragma once

// Handler of the upload button.
void uploadFirmware();

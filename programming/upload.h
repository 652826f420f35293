// The upload workflow behind "Upload/Program Firmware to device".
#pragma once

void uploadFirmware();

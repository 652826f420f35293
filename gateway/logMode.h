// Log mode: the connection to the gateway and the once-a-second polling.
#pragma once

// Handler of "Serial Port Logging": starts log mode when it is off, stops it when it runs.
void toggleLogMode();

// One polling step, run on every timer tick.
void pollGateway();

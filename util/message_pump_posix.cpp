#include "util/message_pump.h"

void ProcessPendingMessages() {}

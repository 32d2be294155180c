#include "core/ActionValues.h"

std::int16_t RestartAction = ActionNone;
std::vector<std::string> BounceServiceNames;
RunOutcome TheRunOutcome;

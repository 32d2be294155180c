#include "core/ActionValues.h"

std::int16_t RestartAction = ActionNone;
std::vector<std::string> BounceServiceNames;
RunOutcome TheRunOutcome;

std::vector<std::string> BounceServices(const std::vector<std::string>& bounceServiceNames) {
    std::vector<std::string> services;
    for (std::size_t i = 1; i < bounceServiceNames.size(); ++i) {
        if (!bounceServiceNames[i].empty()) services.push_back(bounceServiceNames[i]);
    }
    return services;
}

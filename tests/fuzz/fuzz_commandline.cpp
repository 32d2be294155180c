// The program's own command line: its arguments and the scheduled action.
#include <cstdlib>
#include "FuzzInput.h"
#include "config/CommandLine.h"
#include "core/ActionValues.h"
#include "schedule/TaskVerbs.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::wstring line = WideFrom(data, size);
    const std::wstring_view args = ArgumentsAfterProgram(line, L"C:\\Program Files\\Orvane Restart\\Tool.exe",
                                                         L"C:\\PROGRA~1\\ORVANE~1\\Tool.exe");
    // The arguments are a tail of the line.
    if (args.size() > line.size() || line.compare(line.size() - args.size(), args.size(), args) != 0) std::abort();
    // A preview names one known action or none, and a task's line routes
    // to an action only as the start-up would route it.
    for (const ActionRequest& r : {ParsePreview(args), ActionOfTaskLine(args)}) {
        if (r.valid != !r.line.empty() || r.services.size() > kBounceServices.size()) std::abort();
    }
    // A verb line never runs an action, and whatever a verb's parser takes is routed to it.
    const Route route = RouteOf(args);
    const bool verbLine = route == Route::TaskVerb || route == Route::Preview || route == Route::Cancel ||
                          route == Route::Skip;
    if (verbLine && ActionOfTaskLine(args).valid) std::abort();
    if (ParsePreview(args).valid && route != Route::Preview) std::abort();
    // A verb line is a verb, or refused with a reason; a made task's name is one Task Scheduler can store.
    const TaskVerb verb = ParseTaskVerb(args);
    if ((verb.kind == TaskVerb::None) == verb.error.empty()) std::abort();
    if (verb.kind != TaskVerb::None && route != Route::TaskVerb) std::abort();
    if (verb.kind == TaskVerb::Schedule && (!verb.action.valid || ValidTaskName(verb.name) != verb.name)) std::abort();
    ParseCommandLine(args);
    // Only the known names ever reach a bounce's list.
    if (BounceServiceNames.empty() || !BounceServiceNames[0].empty()) std::abort();
    if (RestartAction != ActionBounce) return 0;
    for (std::size_t i = 1; i < BounceServiceNames.size(); ++i) {
        bool known = false;
        for (std::string_view s : kBounceServices) known = known || BounceServiceNames[i] == s;
        if (!known) std::abort();
    }
    return 0;
}

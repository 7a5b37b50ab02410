#include "detection/process_namesakes.h"

namespace {

int Weight(const NamesakeProcess& process) {
    return (process.pathRead ? 2 : 0) + (process.ownSession ? 1 : 0);
}

}  // namespace

uint32_t PreferredNamesake(const std::vector<NamesakeProcess>& namesakes) {
    const NamesakeProcess* preferred = nullptr;
    for (const NamesakeProcess& process : namesakes) {
        if (!preferred || Weight(process) >= Weight(*preferred)) preferred = &process;
    }
    return preferred ? preferred->id : 0;
}

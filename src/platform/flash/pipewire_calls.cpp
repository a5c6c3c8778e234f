#include "platform/flash/pipewire_calls.h"

#include <pipewire/pipewire.h>

namespace platform::sound::pipewire {

spa_source* AddEvent(pw_thread_loop* loop, void (*onEvent)(void*, std::uint64_t), void* data)
{
    return pw_loop_add_event(pw_thread_loop_get_loop(loop), onEvent, data);
}

void SignalEvent(pw_thread_loop* loop, spa_source* event) { pw_loop_signal_event(pw_thread_loop_get_loop(loop), event); }

void AddCoreListener(pw_core* core, spa_hook* hook, const pw_core_events* events, void* data)
{
    pw_core_add_listener(core, hook, events, data);
}

void AddRegistryListener(pw_registry* registry, spa_hook* hook, const pw_registry_events* events, void* data)
{
    pw_registry_add_listener(registry, hook, events, data);
}

int SyncCore(pw_core* core, int seq) { return pw_core_sync(core, PW_ID_CORE, seq); }

}  // namespace platform::sound::pipewire

#pragma once
// PipeWire's interface calls are C macros whose expansions (casts, statement expressions,
// compound literals) C++'s stricter warnings flag wherever they are used. They expand once, in
// pipewire_calls.cpp, which is built without those warnings; the output (and the benches'
// recorder) call these instead, with the few steps both streams take alike.

#include <cstdint>

struct pw_core;
struct pw_core_events;
struct pw_registry;
struct pw_registry_events;
struct pw_thread_loop;
struct spa_hook;
struct spa_pod;
struct spa_source;

namespace platform::sound::pipewire {

// An event source on the thread loop's loop, run there with `data` whenever it is signalled.
spa_source* AddEvent(pw_thread_loop* loop, void (*onEvent)(void* data, std::uint64_t count), void* data);
void SignalEvent(pw_thread_loop* loop, spa_source* event);

void AddCoreListener(pw_core* core, spa_hook* hook, const pw_core_events* events, void* data);
void AddRegistryListener(pw_registry* registry, spa_hook* hook, const pw_registry_events* events, void* data);
// Asks the server to answer with `seq` once it has handled everything before; returns the seq.
int SyncCore(pw_core* core, int seq);

// The format parameter of a mono stream of `format` (an spa_audio_format) at `rate`, built in
// `buffer` (512 bytes are plenty).
const spa_pod* MonoFormat(std::uint32_t format, std::uint32_t rate, std::uint8_t* buffer, std::uint32_t size);
// Waits, with the thread loop locked, until it is signalled or `ns` have passed.
void WaitAtMost(pw_thread_loop* loop, std::int64_t ns);

}  // namespace platform::sound::pipewire

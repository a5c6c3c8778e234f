#include "platform/flash/pipewire_calls.h"

#include <pipewire/pipewire.h>
#include <spa/param/audio/format-utils.h>
#include <spa/pod/builder.h>

#include <ctime>

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

const spa_pod* MonoFormat(std::uint32_t format, std::uint32_t rate, std::uint8_t* buffer, std::uint32_t size)
{
    spa_pod_builder builder{};
    builder.data = buffer;
    builder.size = size;
    spa_audio_info_raw info{};
    info.format = static_cast<spa_audio_format>(format);
    info.rate = rate;
    info.channels = 1;
    info.position[0] = SPA_AUDIO_CHANNEL_MONO;
    return spa_format_audio_raw_build(&builder, SPA_PARAM_EnumFormat, &info);
}

void WaitAtMost(pw_thread_loop* loop, std::int64_t ns)
{
    constexpr std::int64_t kNsPerSecond = 1'000'000'000;
    timespec until{};
    clock_gettime(CLOCK_MONOTONIC, &until);
    const std::int64_t nsec = until.tv_nsec + ns;
    until.tv_sec += static_cast<time_t>(nsec / kNsPerSecond);
    until.tv_nsec = static_cast<long>(nsec % kNsPerSecond);
    pw_thread_loop_timed_wait_full(loop, &until);
}

}  // namespace platform::sound::pipewire

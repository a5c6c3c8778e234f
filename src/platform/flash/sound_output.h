#pragma once
// The clip player's output to the desktop's sound server. It owns the connection and comes back
// by itself when the server restarts, is killed, stalls or is started late; nothing above it
// knows a server exists. It asks its source for each buffer the server wants, on the server's own
// clock (a pull), and says when the buffer's first frame will be heard.
//
// Which interface it speaks, and why. Measured with the benches on Debian 12 (PulseAudio 16.1,
// PipeWire 0.3.65, null sinks, a shared 8-core virtual machine whose load ran from 1 to 30):
// - PipeWire through its pulse interface, with the queue-and-rewrite player this replaces: clicks
//   p99 74 ms, spread 60 ms, 4 gaps in 60 clips; every buffer passes that server's main thread,
//   which runs at normal priority. So on PipeWire the output uses its native stream, processed in
//   PipeWire's real-time thread in the graph cycle that plays it, its time (pw_time) read in the
//   same cycle, which puts every playback step on its grid to the sample (stepclock: onset error
//   0.000 ms counted in sink samples, p99 0.05-0.25 ms on the monitor's clock) and a click from
//   silence within 0.1 ms of the others. Quantum 128 cost the program 6.7 % of a core while
//   sounding (one wake-up per 2.7 ms costs 180 us on this machine) and the graph skipped cycles
//   when a wake-up came late; 256 (5.3 ms) still places a click 8.5 ms ahead exactly, and steps,
//   placed 25 ms ahead, take 512 (10.7 ms, 2.1 %): the quick pace is kept for a while after a
//   click only (`Pace`).
// - PulseAudio's client library, written from its real-time loop whenever the server asks. A
//   pull with a queue short enough for a click 8.5 ms ahead (256-640 frames) ran dry 5-40 times
//   a run beside other load; every underrun makes the server rewind the sink. So the stream keeps
//   two requests queued beyond what the sink takes, and whatever must start within the queue (a
//   click always, a playback step in the steady pace) is written over the queued frames from its
//   start on (a relative seek back), as soon as it is loaded: at the server's next request
//   instead, up to a request later, it reached a busy server too late now and then and lost its
//   first milliseconds. The stream asks for neither early requests nor an adjusted latency, so
//   that the sink's latency (how near a rewrite may come to what is heard) and the request (how
//   often the program and the server wake) are set apart: with early requests the sink's latency
//   is one request, and 4 ms requests (each also answered by a message when the server lets the
//   data go) cost the program 1.0-1.4 % of a core while a song played at its slowest; 16 ms
//   requests with the sink at 4 ms cost 0.6-1.0 %, and a click made while a song plays still
//   sounds 8.5 ms after its call (24 ms requests cost 0.5 %, but steps then sounded up to 40 ms
//   late now and then). What the sink takes is a whole number of microseconds (96 and 192 frames), since a
//   null sink counts its time by the microsecond per piece it renders and gains samples otherwise.
// A PulseAudio sink that no client held short renders far ahead (a null sink up to 2 s), and a
// new stream would wait that out: where such a sink (one whose latency follows its clients) plays
// no other stream and has read nothing of ours, the output suspends and resumes it, so that it
// starts afresh from now. After the server stalled, the stream's clock follows the server's own
// timing rather than the library's interpolation, which stays late for the rest of the stream.
// PipeWire is taken when a PipeWire server answers in the runtime folder and has an audio sink
// (on a desktop whose sound is PulseAudio's, a PipeWire that only serves video has none);
// otherwise the pulse server (PULSE_SERVER, or the runtime folder's).
//
// While no server answers it tries again every `retryEvery`, and only where a server socket
// takes connections, so that waiting costs nothing; a server that accepts the connection and
// does not answer is given `connectTimeout`.

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

namespace platform::sound {

// What the output asks of the player, always on the output's audio thread.
class OutputSource {
public:
    virtual ~OutputSource() = default;
    // A new stream begins: its frames are counted from 0.
    virtual void StreamStarted() = 0;
    // The next `frames` frames of the stream (mono, -1..1), whose first is heard at `heardNs`
    // (steady clock); while the stream's timing is not known yet, nothing new is placed.
    virtual void Render(float* out, int frames, std::optional<std::int64_t> heardNs) = 0;
    // For an output that keeps a queue at the server: places what waits as Render does, where
    // the frames from `floor` up to what was rendered are queued but not taken by the sink yet and
    // may change (the next frame to render is heard at `heardNs`). When any of them changed, they
    // are rendered again into `out` (room for `room` frames): returns the first of them.
    virtual std::optional<std::int64_t> Revise(std::int64_t heardNs, std::int64_t floor, float* out, int room) = 0;
    // Whether something sounds or waits to start: the output closes its stream after `idleAfter`
    // without.
    virtual bool Busy() = 0;
    // Whether something waits that needs a stream (a clip, not silence).
    virtual bool WantsStream() = 0;
    // Whether the stream should answer quickly now (clicks are being made), or may take the
    // steadier pace that playback steps, placed further ahead, allow.
    virtual bool Quick() = 0;
};

// The steady clock's reading in nanoseconds, the time base of everything the player places.
std::int64_t SteadyNowNs();

enum class Interface { kAny, kPulse, kPipeWire };

// How far ahead of the sink the stream is rendered. Every buffer costs a wake-up of the program
// and of the server, so the quick pace is kept only while it is needed.
struct Pace {
    int pulseSinkFrames;     // how far ahead of the clock the PulseAudio sink takes the stream's frames
    int pulseRequestFrames;  // what PulseAudio asks for at a time
    int pipewireQuantum;     // the quantum asked of PipeWire
};

struct OutputOptions {
    Interface use = Interface::kAny;
    // The quick pace, for clicks, which start 8.5 ms after their load: PipeWire renders each
    // cycle when it comes, so a click's start must fall after the cycle its load came in; a
    // PulseAudio click is written over the queue no nearer than the sink takes, so the sink is
    // held at 2 ms. The steady pace, for playback steps, placed 25 ms ahead with room for a late
    // tick: a click made while a song plays comes in it too, so PulseAudio's sink goes no further
    // than 4 ms there, and the request grows to 16 ms.
    Pace quick{96, 576, 256};
    Pace steady{192, 768, 512};
    std::chrono::milliseconds idleAfter{2000};
    std::chrono::milliseconds retryEvery{250};
    std::chrono::milliseconds connectTimeout{2000};
};

class Backend;

class SoundOutput {
public:
    SoundOutput(OutputSource& source, OutputOptions options);
    ~SoundOutput();
    SoundOutput(const SoundOutput&) = delete;
    SoundOutput& operator=(const SoundOutput&) = delete;

    // Something waits to be played: opens a stream if there is none (never blocks).
    void Wake();
    // Blocks until the first attempt to connect has ended, either way, or `timeout` passes.
    bool WaitUntilTried(std::chrono::milliseconds timeout) const;
    // "pulseaudio" or "pipewire" while connected; empty while not.
    std::string Driver() const;
    bool StreamOpen() const;
    std::uint64_t Underflows() const;
    bool Realtime() const;
    // How many times a connection was made (1 after the first).
    int Connections() const;

private:
    void Supervise();

    OutputSource& source_;
    const OutputOptions options_;

    // Lock order: mutex_ is taken before anything of a backend, and never while a backend is
    // destroyed (its thread may be waiting to report itself lost).
    mutable std::mutex mutex_;
    mutable std::condition_variable changed_;
    std::unique_ptr<Backend> current_;
    bool lost_ = false;
    bool stopping_ = false;
    bool tried_ = false;
    int connections_ = 0;
    std::uint64_t pastUnderflows_ = 0;  // of earlier connections

    std::thread supervisor_;  // last: starts after every member above exists
};

}  // namespace platform::sound

// player.exe: a stand-in for the media player, to run a vis plug-in end to end.
// Exit status: 0 when the plug-in behaved, 1 when it did not (or crashed or hung), 2 on bad arguments.

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "player/AudioSource.h"
#include "player/CrashGuard.h"
#include "player/PlayerHost.h"
#include "player/PlayerOptions.h"
#include "player/WavFile.h"

namespace {

constexpr int BadArguments = 2;
// Beyond the run itself: Wine's first window, the plug-in's Init and its unload.
constexpr DWORD WatchdogGraceMs = 30000;

int Fail(const std::string& message) {
    std::fprintf(stderr, "player: %s\n%s", message.c_str(), player::UsageText());
    return BadArguments;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE /*previous*/, LPSTR /*commandLine*/, int /*show*/) {
    const std::vector<std::string> args(__argv + 1, __argv + __argc);
    const player::ParseResult parsed = player::ParseOptions(args);
    if (!parsed.ok) {
        return Fail(parsed.error);
    }
    const player::PlayerOptions& options = parsed.options;

    player::EventLog log;
    if (!log.Open(options.logPath)) {
        return Fail("cannot create the log " + options.logPath);
    }
    player::InstallCrashGuard(log);

    std::unique_ptr<player::AudioSource> source;
    if (options.wavPath.empty()) {
        source = std::make_unique<player::SynthSource>(options.signal);
    } else {
        player::WavResult wav = player::ReadWavFile(options.wavPath);
        if (wav.error != player::WavError::None) {
            log.Write(std::string("error wav=") + player::WavErrorName(wav.error));
            return Fail("cannot play " + options.wavPath + ": " + player::WavErrorName(wav.error));
        }
        source = std::make_unique<player::WavSource>(std::move(wav.data));
    }

    player::Watchdog watchdog(log, static_cast<DWORD>(options.runMs) + WatchdogGraceMs);
    player::PlayerHost host(instance, options, log, *source);
    return host.Run();
}

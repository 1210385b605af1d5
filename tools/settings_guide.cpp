// settings_guide VERSION: prints the plain-text guide that ships beside the DLL (installing, the keys,
// and every plugin.ini key with its type, range and default), with Windows line ends.
//
// The keys, their order, their types and their defaults come from the settings record and its loader;
// the ranges of the keys the dialog sets with a spin edit or a list come from the dialog's own table.
// Before printing, every description below is checked against both: a key the loader reads that is
// not described, a described key it does not read, a description bound to another field, a range
// written here that is not the dialog's, or a key the dialog ranges that the loader does not read
// stops the tool with a message, so the guide cannot fall behind the code.

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <map>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "config/ConfigRanges.h"
#include "settings/VisSettings.h"

namespace {

using TField = std::
    variant<bool TVisSettings::*, std::int32_t TVisSettings::*, TColor TVisSettings::*, std::string TVisSettings::*>;

struct TKeyText {
    const char* Key;
    TField Field;
    // For integers and texts: where the dialog ranges the key, its range (checked). Booleans and colours
    // have their own.
    const char* Range;
    const char* Meaning;
};

#define KEY(name) #name, &TVisSettings::name

const std::vector<TKeyText>& KeyTexts() {
    static const std::vector<TKeyText> texts = {
        {KEY(AlwaysTop), "", "The display window stays in front of every other window."},
        {KEY(Monitor), "0 to the number of monitors",
         "Monitor the display covers: 0 the one that holds the player's window, 1 and up that monitor in the "
         "system's order (the dialog lists them with their sizes); any other value means 0."},
        {KEY(Background), "", "Colour of the picture's background, the VU strip and the title strip."},
        {KEY(MeterForeground), "", "Colour of the VU bars."},
        {KEY(MeterBackground), "", "Colour of the troughs the VU bars run in."},
        {KEY(Spectrums), "", "Colour of the spectrum bars."},
        {KEY(EnhSpect), "", "Spectrum bars carry a floating peak block."},
        {KEY(Enhvu), "", "VU bars carry a peak block."},
        {KEY(SpectrumStyle), "0 to 2", "Spectrum bar look: 0 flat, 1 shaded towards white, 2 shaded towards black."},
        {KEY(vustyle), "0 to 2", "VU bar look: 0 flat, 1 shaded towards white, 2 shaded towards black."},
        {KEY(EffectEnabled), "", "Draw the background effect."},
        {KEY(SpectrumsEnabled), "", "Draw the spectrum bars."},
        {KEY(vuEnabled), "", "Show the VU strip below the picture."},
        {KEY(ImageEnabled), "", "Show the animated images; Space then cycles the image sets."},
        {KEY(Effect), "0 or 1", "Background effect: 0 rocket bursts, any other value the light-speed starfield."},
        {KEY(SkyburstLatency), "10 to 50", "Milliseconds the rocket bursts wait between frames."},
        {KEY(SpectrumsLatency), "10 to 50", "Milliseconds the spectrum bars wait between frames."},
        {KEY(vuLatency), "10 to 50", "Milliseconds the VU meter waits between frames."},
        {KEY(LightLatency), "10 to 50", "Milliseconds the starfield waits between frames."},
        {KEY(StarQty), "1 to 255", "How many stars the starfield may hold."},
        {KEY(Brightness), "1 to 255", "How bright a star starts."},
        {KEY(LightSpeed), "0 to 5", "Starfield speed as the dialog shows it (Slower to Fastest); kept, not used."},
        {KEY(LightCenterX), "1 to 99", "Where the stars come from, in per cent of the picture's width."},
        {KEY(LightCenterY), "1 to 99", "Where the stars come from, in per cent of the picture's height."},
        {KEY(Gravity), "50 to 500", "How hard the sparks of a burst fall; the rockets climb in a straight line."},
        {KEY(MaxRocketNumber), "1 to 12", "Most rockets in the air at once."},
        {KEY(RocketStyleVar), "2 to 40",
         "Chance in per cent, each frame, that the next bursts get a new style: spread, spark count and duration."},
        {KEY(MaxRocketPatchNumber), "10 to 150", "Most sparks in one burst."},
        {KEY(MaxRocketPatchLength), "10 to 300",
         "How long a burst lasts, and so how long its spark trails grow; loud music lengthens the bursts, and the "
         "longer they are, the rarer the launches."},
        {KEY(MaxRocketEnergy), "100 to 1500", "How far the sparks of a burst fly apart."},
        {KEY(MaxSpectrumH), "20 to 480", "Height in pixels of a spectrum bar at full level."},
        {KEY(BarB), "1 to 100", "Height in pixels of a spectrum peak block."},
        {KEY(vumeterH), "6 to 100", "Height in pixels of the VU strip."},
        {KEY(vuB), "1 to 100", "Width in pixels of a VU peak block."},
        {KEY(vuOutline), "", "Draw a raised frame around each VU trough."},
        {KEY(vusegmented), "", "Draw the VU bars in segments."},
        {KEY(VUsegW), "3 to 20", "Width in pixels of a VU segment."},
        {KEY(TitleEnabled), "", "Show the song title and the clock at the bottom."},
        {KEY(TitleScroll), "0 to 5",
         "Title movement: 0 still, 1 right to left, 2 left to right, 3 downwards, 4 upwards, 5 random, changing "
         "after every pass."},
        {KEY(TitleColor), "", "Colour of the song title."},
        {KEY(ClockAlign), "0 or 1", "Clock at the bottom left (0) or the bottom right (1)."},
        {KEY(ClockColor), "", "Colour of the clock."},
        {KEY(LoadGif), "Default or User",
         "Default (spelt exactly so) shows the built-in animations; any other text shows the GIF files named below."},
        {KEY(UserGif1A), "a file path", "GIF file of image set 1, first image."},
        {KEY(UserGif1B), "a file path", "GIF file of image set 1, second image."},
        {KEY(UserGif2A), "a file path", "GIF file of image set 2, first image."},
        {KEY(UserGif2B), "a file path", "GIF file of image set 2, second image."},
        {KEY(GifAlign1A), "0 to 4", "Place of set 1, first image (places listed above)."},
        {KEY(GifAlign1B), "0 to 4", "Place of set 1, second image."},
        {KEY(GifAlign2A), "0 to 4", "Place of set 2, first image."},
        {KEY(GifAlign2B), "0 to 4", "Place of set 2, second image."},
    };
    return texts;
}

#undef KEY

// Answers every read from a fixed set of values and notes the order of the reads.
class TProbeStore : public TSettingsStore {
public:
    std::map<std::string, std::string> Values;
    std::vector<std::string> Reads;

    std::optional<std::string> Read(const char* key) override {
        Reads.emplace_back(key);
        const auto it = Values.find(key);
        return it == Values.end() ? std::nullopt : std::optional<std::string>(it->second);
    }
    bool Write(const char*, const std::string&) override { return false; }
    std::string Location() const override { return "probe"; }
};

// Any text but "Default" makes the loader read the user's image keys too.
constexpr const char* EveryKeyLoadGif = "probe";

// A field's value as the file holds it.
std::string FileText(const TVisSettings& s, const TField& field) {
    struct {
        const TVisSettings& s;
        std::string operator()(bool TVisSettings::*f) const { return s.*f ? "1" : "0"; }
        std::string operator()(std::int32_t TVisSettings::*f) const { return std::to_string(s.*f); }
        std::string operator()(TColor TVisSettings::*f) const { return std::to_string(s.*f); }
        std::string operator()(std::string TVisSettings::*f) const { return s.*f; }
    } visit{s};
    return std::visit(visit, field);
}

// A value other than the field's default, as the file would hold it.
std::string OtherThanDefault(const TField& field) {
    const std::string d = FileText(TVisSettings{}, field);
    if (std::holds_alternative<bool TVisSettings::*>(field)) {
        return d == "1" ? "0" : "1";
    }
    if (std::holds_alternative<std::string TVisSettings::*>(field)) {
        return EveryKeyLoadGif;
    }
    return std::to_string(std::stoll(d) + 1);
}

// Every key the loader reads, in its order.
std::vector<std::string> LoaderReads() {
    TProbeStore order;
    order.Values["LoadGif"] = EveryKeyLoadGif;
    TVisSettings scratch;
    LoadSettingsFrom(order, scratch);
    return order.Reads;
}

// Empty when every description matches the loader, else what is wrong.
std::string CheckAgainstLoader() {
    const std::vector<std::string> reads = LoaderReads();
    std::vector<std::string> described;
    for (const auto& t : KeyTexts()) {
        described.emplace_back(t.Key);
    }
    if (described != reads) {
        std::string have;
        for (const auto& key : reads) {
            have += " " + key;
        }
        return "the loader reads, in this order:" + have + "; the guide describes other keys or another order";
    }
    for (const auto& t : KeyTexts()) {
        const std::string probe = OtherThanDefault(t.Field);
        TProbeStore store;
        store.Values["LoadGif"] = EveryKeyLoadGif;
        store.Values[t.Key] = probe;
        TVisSettings settings;
        LoadSettingsFrom(store, settings);
        if (FileText(settings, t.Field) != probe) {
            return std::string("key ") + t.Key + " is described with another field than the one it loads into";
        }
    }
    return {};
}

// What the dialog lets a key take, in the guide's words; nothing when no spin edit or list sets it.
std::optional<std::string> DialogRange(const char* key) {
    if (const TSpinRange* spin = FindSpinRange(key)) {
        return std::to_string(spin->Min) + " to " + std::to_string(spin->Max);
    }
    if (const TChoiceList* list = FindChoiceList(key)) {
        const long last = static_cast<long>(list->Items.size()) - 1;
        return last == 1 ? std::string("0 or 1") : "0 to " + std::to_string(last);
    }
    return std::nullopt;
}

// Empty when the ranges written here are the dialog's and the dialog ranges only keys the loader
// reads, else what is wrong.
std::string CheckAgainstDialog() {
    for (const auto& t : KeyTexts()) {
        const auto range = DialogRange(t.Key);
        if (range && *range != t.Range) {
            return std::string("key ") + t.Key + " is described with the range \"" + t.Range +
                   "\", but the dialog offers " + *range;
        }
    }
    const std::vector<std::string> reads = LoaderReads();
    const auto read = [&reads](const char* key) { return std::find(reads.begin(), reads.end(), key) != reads.end(); };
    for (const auto& spin : SpinRanges()) {
        if (!read(spin.Key)) {
            return std::string("the dialog ranges key ") + spin.Key + ", which the loader does not read";
        }
    }
    for (const auto& list : ChoiceLists()) {
        if (!read(list.Key)) {
            return std::string("the dialog ranges key ") + list.Key + ", which the loader does not read";
        }
    }
    return {};
}

std::string RangeOf(const TKeyText& t) {
    if (std::holds_alternative<bool TVisSettings::*>(t.Field)) {
        return "1 (on) or 0 (off)";
    }
    if (std::holds_alternative<TColor TVisSettings::*>(t.Field)) {
        return "a colour, 0 to 16777215";
    }
    return DialogRange(t.Key).value_or(t.Range);
}

// The guide's lines stay within this many characters, so that any text viewer shows them whole.
constexpr std::size_t GuideWidth = 90;

// text broken at blanks into lines of at most width characters (a longer word stands alone).
std::vector<std::string> Wrapped(const std::string& text, std::size_t width) {
    std::vector<std::string> lines(1);
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find(' ', start);
        if (end == std::string::npos) {
            end = text.size();
        }
        const std::string word = text.substr(start, end - start);
        if (!lines.back().empty() && lines.back().size() + 1 + word.size() > width) {
            lines.emplace_back();
        }
        lines.back() += (lines.back().empty() ? "" : " ") + word;
        start = end + 1;
    }
    return lines;
}

std::string Guide(const std::string& version) {
    std::string g;
    auto line = [&g](const std::string& text = "") { g += text + "\r\n"; };
    line("Skyburst " + version + " - a full-screen music visualisation for 32-bit Windows");
    line("==========================================================================");
    line();
    line("While a song plays, Skyburst covers the screen with rocket bursts or a light-speed");
    line("starfield, 36 spectrum bars, a stereo VU meter, two animated images and, at the");
    line("bottom, the song title beside a clock.");
    line();
    line("Installing");
    line("----------");
    line("Close the player and run skyburst-" + version + "-setup.exe. It finds the player's");
    line("folder (the one that holds winamp.exe) and puts Skyburst into its Plugins folder. On");
    line("its last page, \"Make Skyburst the player's visualisation\" chooses it for you, and");
    line("\"Start the player\" starts the player.");
    line("By hand instead:");
    line("1. Close the player.");
    line("2. Copy vis_skyburst.dll into the player's Plugins folder (the folder named Plugins");
    line("   inside the folder the player is installed in).");
    line("3. Start the player, open Options, Preferences, Plug-ins, Visualization, and choose");
    line("   \"Skyburst Plugin\". Start the visualisation from there while a song plays.");
    line("4. The Configure button beside it opens Skyburst's settings dialog.");
    line("To remove Skyburst, close the player and uninstall \"Skyburst " + version + " (visualisation");
    line("plug-in) in <the player's folder>\" from Windows' list of installed programs, or run");
    line("uninstall-skyburst.exe in the Plugins folder. Your settings in plugin.ini stay.");
    line();
    line("vis_skyburst.dll.sha256 holds the DLL's SHA-256. To check it, run in a command prompt:");
    line("    certutil -hashfile vis_skyburst.dll SHA256");
    line();
    line("Keys");
    line("----");
    line("Z  previous song            X  play                 C  pause / resume");
    line("V  stop                     B  next song");
    line(",  rewind                   .  fast forward");
    line("Up / Down  volume           Space  next image set (set 1, set 2, none)");
    line("Esc or a right click  end the display");
    line("Each player key shows a short hint at the top of the screen.");
    line();
    line("Settings");
    line("--------");
    line("Skyburst reads its settings each time it starts, from the section [Skyburst] of");
    line("plugin.ini in the player's folder (beside the player's program file). The settings");
    line("dialog writes them; they can also be edited by hand while Skyburst is not running.");
    line("A missing key or a value that is not a number keeps the default. The ranges are those");
    line("the dialog offers; Skyburst takes a value edited by hand as it is, holding it only");
    line("where it must (at most 12 rockets and 150 sparks a burst, for example).");
    line("Colours are decimal numbers of the form blue * 65536 + green * 256 + red.");
    line("Each key below is shown with its default value, followed by its range.");
    line("Image places: 0 top left, 1 top right, 2 bottom left, 3 bottom right, 4 tiled across");
    line("the top. The two images of a set should not share a place.");
    line();
    for (const auto& t : KeyTexts()) {
        std::string entry = std::string(t.Key) + "=" + FileText(TVisSettings{}, t.Field);
        entry.resize(std::max<std::size_t>(entry.size() + 2, 30), ' ');
        line(entry + RangeOf(t));
        for (const std::string& part : Wrapped(t.Meaning, GuideWidth - 4)) {
            line("    " + part);
        }
    }
    return g;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: settings_guide VERSION\n");
        return 2;
    }
    std::string problem = CheckAgainstLoader();
    if (problem.empty()) {
        problem = CheckAgainstDialog();
    }
    if (!problem.empty()) {
        std::fprintf(stderr, "settings_guide: %s\n", problem.c_str());
        return 1;
    }
    const std::string guide = Guide(argv[1]);
    std::fwrite(guide.data(), 1, guide.size(), stdout);
    return 0;
}

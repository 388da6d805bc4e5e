#include "tools/soundgen/Music.h"

#include <cctype>
#include <cmath>
#include <cstdlib>
#include <utility>
#include <vector>

#include "tools/soundgen/Instruments.h"

namespace soundgen
{

namespace
{

constexpr double kBeat = 60.0 / 96.0; // seconds
constexpr int kBeatsPerBar = 4;
constexpr double kBar = kBeat * kBeatsPerBar;

// How a section is played.
enum class Style
{
    Intro, // pad and marimba, the bass from the third bar
    Verse, // the tune: walking bass, shaker on the eighths
    Bridge, // lower and broader: half-note bass, off-beat shaker
    Return, // the tune again, the marimba an octave up
    Coda, // thinning out towards the loop's start
};

// The score, written in D major, one chord per bar. Notes are NAME OCTAVE
// ":" BEATS (C4 is middle C; "r" rests); "|" ends a bar, and every bar holds
// four beats. The harmony line is a second flute, a third or so below.
struct Section
{
    Style style;
    const char* chords;
    const char* melody;
    const char* harmony;
};

const Section kScore[] = {
    {Style::Intro, "D G Bm A", "r:4 | r:4 | r:4 | r:4", nullptr},
    {Style::Verse, "D A Bm G | D A G A | D A Bm G | Em A D D",
     "F#5:1.5 E5:.5 D5:1 A4:1 | C#5:1.5 D5:.5 E5:2 | D5:1.5 C#5:.5 B4:1 F#4:1 | G4:1 A4:1 B4:1 D5:1 |"
     "A5:1.5 F#5:.5 D5:1 F#5:1 | E5:1.5 C#5:.5 A4:2 | B4:1 D5:1 G5:1 F#5:.5 E5:.5 | E5:3 r:1 |"
     "F#5:1.5 E5:.5 D5:1 A4:1 | C#5:1.5 D5:.5 E5:1 A5:1 | F#5:1.5 E5:.5 D5:1 B4:1 | D5:1 B4:.5 D5:.5 G5:2 |"
     "G5:1 F#5:.5 E5:.5 B4:1 E5:1 | E5:1 D5:.5 C#5:.5 A4:1 C#5:1 | D5:4 | r:2 A4:.5 B4:.5 C#5:.5 D5:.5",
     nullptr},
    {Style::Bridge, "G A F#m Bm | Em A D D | G A F#m Bm | Em G A A",
     "B4:2 D5:1 G5:1 | E5:2 C#5:1 A4:1 | C#5:1.5 A4:.5 F#4:1 A4:1 | B4:3 D5:1 |"
     "G5:1.5 F#5:.5 E5:1 B4:1 | C#5:1 E5:1 A5:1 G5:1 | F#5:3 E5:.5 D5:.5 | A4:3 r:1 |"
     "D5:1 G5:1 B5:1.5 A5:.5 | A5:1.5 G5:.5 E5:1 C#5:1 | F#5:1.5 E5:.5 C#5:1 A4:1 | D5:1 F#5:1 B5:2 |"
     "B5:1 A5:.5 G5:.5 E5:1 G5:1 | D5:1.5 B4:.5 G4:1 B4:1 | C#5:2 E5:2 | A5:2 G5:1 E5:1",
     nullptr},
    {Style::Return, "D A Bm G | D A G A | D A Bm G | Em A D D",
     "F#5:1.5 E5:.5 D5:.5 E5:.5 F#5:.5 A5:.5 | C#5:1.5 D5:.5 E5:2 | D5:1.5 C#5:.5 B4:1 F#4:1 | G4:1 A4:1 B4:1 D5:1 |"
     "A5:1.5 B5:.5 A5:1 F#5:1 | E5:1.5 C#5:.5 A4:1 C#5:1 | B4:1 D5:1 G5:1 F#5:.5 E5:.5 | E5:2 C#5:1 E5:1 |"
     "F#5:1.5 E5:.5 D5:1 A4:1 | C#5:1.5 D5:.5 E5:1 A5:1 | F#5:1.5 E5:.5 D5:1 B4:1 | D5:1 B4:.5 D5:.5 G5:2 |"
     "G5:1 F#5:.5 E5:.5 B4:1 E5:1 | E5:1 D5:.5 C#5:.5 A4:1 C#5:1 | D5:2 F#5:1 A5:1 | D6:3 r:1",
     "r:4 | r:4 | r:4 | r:4 | r:4 | r:4 | r:4 | r:4 |"
     "D5:1.5 C#5:.5 A4:1 F#4:1 | A4:1.5 B4:.5 C#5:1 E5:1 | D5:1.5 C#5:.5 B4:1 F#4:1 | B4:1 G4:.5 B4:.5 D5:2 |"
     "E5:1 D5:.5 B4:.5 G4:1 B4:1 | C#5:1 B4:.5 A4:.5 E4:1 A4:1 | A4:2 D5:1 F#5:1 | A5:3 r:1"},
    {Style::Coda, "G A D A", "r:2 B4:1 D5:1 | C#5:2 E5:2 | D5:4 | r:4", nullptr},
};

struct Note
{
    double start; // beats from the section's start
    double beats;
    int32_t pitch; // MIDI number; -1 rests
};

// The semitone of a note letter within its octave, or -1.
int32_t LetterSemitone(char letter)
{
    switch (std::toupper(static_cast<unsigned char>(letter)))
    {
    case 'C': return 0;
    case 'D': return 2;
    case 'E': return 4;
    case 'F': return 5;
    case 'G': return 7;
    case 'A': return 9;
    case 'B': return 11;
    default: return -1;
    }
}

// The notes of a line; false with the reason when a token or a bar is wrong.
bool ParseLine(const char* line, std::vector<Note>& notes, int32_t& bars, std::string& error)
{
    double beat = 0.0, barStart = 0.0;
    bars = 0;
    const std::string text(line);
    size_t at = 0;
    auto closeBar = [&]() {
        if (std::fabs(beat - barStart - kBeatsPerBar) > 1e-9)
        {
            error = "bar " + std::to_string(bars + 1) + " of \"" + text.substr(0, 24) + "...\" holds " +
                    std::to_string(beat - barStart) + " beats";
            return false;
        }
        ++bars;
        barStart = beat;
        return true;
    };
    while (at < text.size())
    {
        if (std::isspace(static_cast<unsigned char>(text[at])))
        {
            ++at;
            continue;
        }
        if (text[at] == '|')
        {
            if (!closeBar())
                return false;
            ++at;
            continue;
        }
        const size_t end = text.find_first_of(" |", at);
        const std::string token = text.substr(at, end == std::string::npos ? std::string::npos : end - at);
        at = end == std::string::npos ? text.size() : end;
        const size_t colon = token.find(':');
        char* rest = nullptr;
        const double beats = colon == std::string::npos ? 0.0 : std::strtod(token.c_str() + colon + 1, &rest);
        if (colon == std::string::npos || beats <= 0.0 || *rest != '\0')
        {
            error = "note \"" + token + "\" has no length";
            return false;
        }
        int32_t pitch = -1;
        if (token[0] != 'r')
        {
            int32_t semitone = LetterSemitone(token[0]);
            size_t i = 1;
            if (i < colon && token[i] == '#')
                ++semitone, ++i;
            else if (i < colon && token[i] == 'b')
                --semitone, ++i;
            if (semitone < -1 || i + 1 != colon || !std::isdigit(static_cast<unsigned char>(token[i])))
            {
                error = "note \"" + token + "\" is not a note";
                return false;
            }
            pitch = 12 * (token[i] - '0' + 1) + semitone;
        }
        notes.push_back({beat, beats, pitch});
        beat += beats;
    }
    return closeBar();
}

// The chord tones of a name such as "F#m", from the root upwards (root,
// third, fifth), with the root placed between G3 and F#4.
bool ParseChord(const std::string& name, std::vector<int32_t>& tones)
{
    int32_t root = LetterSemitone(name.empty() ? ' ' : name[0]);
    if (root < 0)
        return false;
    size_t i = 1;
    if (i < name.size() && name[i] == '#')
        ++root, ++i;
    const bool minor = i < name.size() && name[i] == 'm';
    int32_t base = 60 + root;
    if (base < 55)
        base += 12;
    if (base > 66)
        base -= 12;
    tones = {base, base + (minor ? 3 : 4), base + 7};
    return true;
}

// Every bar's chord of a section, in order.
bool ParseChords(const char* line, std::vector<std::vector<int32_t>>& chords, std::string& error)
{
    const std::string text(line);
    size_t at = 0;
    while (at < text.size())
    {
        if (text[at] == ' ' || text[at] == '|')
        {
            ++at;
            continue;
        }
        const size_t end = text.find_first_of(" |", at);
        const std::string name = text.substr(at, end == std::string::npos ? std::string::npos : end - at);
        at = end == std::string::npos ? text.size() : end;
        std::vector<int32_t> tones;
        if (!ParseChord(name, tones))
        {
            error = "chord \"" + name + "\" is not a chord";
            return false;
        }
        chords.push_back(tones);
    }
    return true;
}

// A bar's arpeggio: eight eighths, each an index into the chord's tones
// climbing through two octaves.
constexpr int kVersePattern[8] = {0, 2, 1, 3, 2, 4, 3, 2};
constexpr int kIntroPattern[8] = {0, 1, 2, 3, 4, 3, 2, 1};
constexpr int kBridgePattern[8] = {0, 2, 4, 2, 1, 3, 5, 3};

int32_t Ladder(const std::vector<int32_t>& chord, int step)
{
    return chord[static_cast<size_t>(step) % chord.size()] + 12 * (step / static_cast<int>(chord.size()));
}

// The mix: what is heard dry, and what the room hears.
struct Mix
{
    Track dry, send;
    explicit Mix(uint32_t frames) : dry(2, frames), send(2, frames) {}

    // Places a mono voice at time seconds, panned (-1 left .. 1 right, equal
    // power), with room of it sent to the reverb.
    void Place(double seconds, const std::vector<float>& voice, float pan, float room)
    {
        const float angle = static_cast<float>((pan + 1.0) * kPi / 4.0);
        const float gains[2] = {std::cos(angle) * 1.41421356f, std::sin(angle) * 1.41421356f};
        dry.Mix(Frames(seconds), voice, gains);
        if (room > 0.0f)
        {
            const float sends[2] = {gains[0] * room, gains[1] * room};
            send.Mix(Frames(seconds), voice, sends);
        }
    }
};

// How much of each part the room hears: the melody, marimba and pad, not
// the bass or shaker.
constexpr float kMelodyRoom = 0.9f, kMarimbaRoom = 0.6f, kPadRoom = 0.7f;

void PlayLine(Mix& mix, const std::vector<Note>& notes, double sectionStart, float level, float pan,
              Random& random)
{
    for (const Note& note : notes)
    {
        if (note.pitch < 0)
            continue;
        // Held a touch short of the next note, so the tonguing is heard.
        const double seconds = note.beats * kBeat - 0.04;
        mix.Place(sectionStart + note.start * kBeat, Flute(NoteFrequency(note.pitch), seconds, level, random), pan,
                  kMelodyRoom);
    }
}

// The accompaniment of one bar.
void PlayBar(Mix& mix, Style style, int32_t barInSection, const std::vector<int32_t>& chord, double start,
             Random& random)
{
    const int* pattern = style == Style::Bridge  ? kBridgePattern
                         : style == Style::Intro ? kIntroPattern
                                                 : kVersePattern;
    const int32_t octave = style == Style::Return ? 12 : style == Style::Bridge ? -12 : 0;
    for (int eighth = 0; eighth < 8; ++eighth)
    {
        const int32_t pitch = Ladder(chord, pattern[eighth]) + octave;
        // Beat one leans a little; the rest move by small, even amounts.
        const float accent = eighth == 0 ? 1.0f : eighth % 2 == 0 ? 0.82f : 0.7f;
        const float level = 0.3f * accent * static_cast<float>(random.Range(0.9, 1.05));
        const double when = start + eighth * kBeat / 2 + random.Range(-0.004, 0.004);
        const float pan = static_cast<float>((pitch - 62) / 24.0);
        mix.Place(when, Marimba(NoteFrequency(pitch), level, random), pan, kMarimbaRoom);
    }

    const int32_t root = chord[0] - 24, fifth = chord[2] - 24;
    struct Pluck
    {
        double beat, beats;
        int32_t pitch;
    };
    std::vector<Pluck> plucks;
    switch (style)
    {
    case Style::Intro:
        if (barInSection >= 2)
            plucks = {{0, 4, root}};
        break;
    case Style::Verse:
    case Style::Return:
        plucks = {{0, 1.5, root}, {1.5, 0.5, root}, {2, 1.5, fifth}, {3.5, 0.5, root + 12}};
        break;
    case Style::Bridge:
        plucks = {{0, 2, root}, {2, 2, fifth}};
        break;
    case Style::Coda:
        plucks = {{0, 4, root}};
        break;
    }
    for (const Pluck& pluck : plucks)
        mix.Place(start + pluck.beat * kBeat, Bass(NoteFrequency(pluck.pitch), pluck.beats * kBeat - 0.05, 0.42f), 0.0f,
                  0.0f);

    if (style == Style::Verse || style == Style::Return || style == Style::Bridge)
        for (int eighth = 0; eighth < 8; ++eighth)
        {
            if (style == Style::Bridge && eighth % 2 == 0)
                continue;
            const float level = eighth % 2 == 1 ? 0.09f : 0.05f;
            mix.Place(start + eighth * kBeat / 2 + random.Range(-0.003, 0.003), Shaker(level, random), 0.45f, 0.0f);
        }
}

// The pad: each chord tone held as long as the chords keep it.
void PlayPad(Mix& mix, const std::vector<std::vector<int32_t>>& chords)
{
    const size_t bars = chords.size();
    auto holds = [&](size_t bar, int32_t tone) {
        for (int32_t other : chords[bar % bars])
            if (other == tone)
                return true;
        return false;
    };
    for (size_t bar = 0; bar < bars; ++bar)
        for (int32_t tone : chords[bar])
        {
            if (bar > 0 && holds(bar - 1, tone))
                continue; // still sounding from before
            size_t length = 1;
            while (bar + length < bars && holds(bar + length, tone))
                ++length;
            mix.Place(static_cast<double>(bar) * kBar, Pad(NoteFrequency(tone), static_cast<double>(length) * kBar, 0.1f),
                      static_cast<float>((tone % 12) / 11.0 - 0.5) * 0.6f, kPadRoom);
        }
}

} // namespace

uint32_t MusicFrames()
{
    int32_t bars = 0;
    for (const Section& section : kScore)
    {
        std::vector<Note> notes;
        int32_t count = 0;
        std::string ignored;
        ParseLine(section.melody, notes, count, ignored);
        bars += count;
    }
    return static_cast<uint32_t>(Frames(bars * kBar));
}

bool MakeMusic(Track& out, std::string& error)
{
    const uint32_t frames = MusicFrames();
    out = Track(2, frames);
    Mix mix(frames);
    Random random(1905);
    std::vector<std::vector<int32_t>> allChords;
    double start = 0.0;
    for (const Section& section : kScore)
    {
        std::vector<Note> melody, harmony;
        std::vector<std::vector<int32_t>> chords;
        int32_t bars = 0, harmonyBars = 0;
        if (!ParseLine(section.melody, melody, bars, error) || !ParseChords(section.chords, chords, error) ||
            (section.harmony && !ParseLine(section.harmony, harmony, harmonyBars, error)))
            return false;
        if (chords.size() != static_cast<size_t>(bars) || (section.harmony && harmonyBars != bars))
        {
            error = "a section's chords, tune and harmony differ in length";
            return false;
        }
        PlayLine(mix, melody, start, 0.5f, 0.1f, random);
        PlayLine(mix, harmony, start, 0.3f, -0.35f, random);
        for (int32_t bar = 0; bar < bars; ++bar)
            PlayBar(mix, section.style, bar, chords[static_cast<size_t>(bar)], start + bar * kBar, random);
        allChords.insert(allChords.end(), chords.begin(), chords.end());
        start += bars * kBar;
    }
    PlayPad(mix, allChords);

    AddReverb(mix.send, mix.dry, 0.9f, 0.55f, 0.4f);
    out = std::move(mix.dry);
    // Peaks at -3 dBFS leave the encoder room below -1 dBFS.
    out.Normalize(0.7079f);
    return true;
}

} // namespace soundgen

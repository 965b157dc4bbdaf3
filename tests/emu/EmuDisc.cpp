// tests/emu/EmuDisc.cpp
// Discs backed by image files (EmuDisc.h): the description, the disc model built from it and the answers of the
// medium commands.
#include <windows.h>

#include "EmuDisc.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <sstream>

#include "drive/Cdb.h"

// Blank-separated words and double-quoted texts; '#' outside quotes ends the line.
bool EmuSplitLine(const std::string& line, std::vector<EmuDiscWord>& words, std::string& error)
{
    words.clear();
    size_t i = 0;
    while (i < line.size()) {
        char c = line[i];
        if (c == '#')
            break;
        if (std::isspace(static_cast<unsigned char>(c))) {
            ++i;
            continue;
        }
        if (c == '"') {
            size_t end = line.find('"', i + 1);
            if (end == std::string::npos) {
                error = "a text without its closing quote";
                return false;
            }
            words.push_back({line.substr(i + 1, end - i - 1), true});
            i = end + 1;
            continue;
        }
        size_t end = i;
        while (end < line.size() && !std::isspace(static_cast<unsigned char>(line[end])) && line[end] != '#')
            ++end;
        words.push_back({line.substr(i, end - i), false});
        i = end;
    }
    return true;
}

// The whole text as a number in C notation (decimal, "0x" hexadecimal, leading-zero octal).
bool EmuParseNumber(const std::string& text, long long& value)
{
    if (text.empty())
        return false;
    char* end = nullptr;
    value = std::strtoll(text.c_str(), &end, 0);
    return end != nullptr && *end == '\0';
}

namespace {

// --- words ---------------------------------------------------------------------------------------------------

std::string JoinWords(const std::vector<EmuDiscWord>& words)
{
    std::string line;
    for (const EmuDiscWord& w : words) {
        if (!line.empty())
            line += ' ';
        line += w.quoted ? "\"" + w.text + "\"" : w.text;
    }
    return line;
}

bool Msf(const std::string& text, int msf[3])
{
    int m = 0, s = 0, f = 0;
    char tail = 0;
    if (std::sscanf(text.c_str(), "%d:%d:%d%c", &m, &s, &f, &tail) != 3 || m < 0 || m > 99 || s < 0 || s > 59 ||
        f < 0 || f > 74)
        return false;
    msf[0] = m;
    msf[1] = s;
    msf[2] = f;
    return true;
}

uint8_t Bcd(uint32_t v)
{
    return uint8_t((v / 10) * 16 + v % 10);
}

// MSF of an LBA (binary), the 150-frame offset added.
void PutMsf(uint8_t* p, long lba)
{
    long v = lba + 150;
    if (v < 0)
        v += 450000;
    p[0] = uint8_t(v / 4500);
    p[1] = uint8_t((v / 75) % 60);
    p[2] = uint8_t(v % 75);
}

uint16_t Crc16(const uint8_t* p, size_t n)
{
    uint16_t crc = 0;
    for (size_t i = 0; i < n; ++i) {
        crc = uint16_t(crc ^ (uint16_t(p[i]) << 8));
        for (int bit = 0; bit < 8; ++bit)
            crc = uint16_t((crc & 0x8000) ? (crc << 1) ^ 0x1021 : crc << 1);
    }
    return crc;
}

// --- the model -----------------------------------------------------------------------------------------------

using Image = std::shared_ptr<const std::vector<uint8_t>>;

struct Track {
    int number = 1;
    int session = 1;
    bool audio = false;
    int mode = 1;
    long start = 0;
    long written = 0; // blocks recorded
    long size = 0;    // blocks reserved (at least written)
    Image image;
    std::string isrc;
    bool packet = false;
    int runout = 0;
    bool open = false;
};

struct Disc {
    std::string kind;
    bool cd = true;
    bool recordable = false;
    bool erasable = false;
    bool blank = false;
    bool open = false;
    int layers = 1;
    int profile = 0x08;
    int bookType = 0;
    long blocks = 0; // DVD capacity; for a CD the end of the last session's lead-out start
    Image image;
    std::vector<Track> tracks;
    std::string mcn;
    std::map<std::pair<int, int>, std::string> cdText; // (pack type, track) -> text
    std::vector<int> cdTextCrcErrors;
    bool haveAtip = false;
    int leadIn[3] = {0, 0, 0};
    int leadOut[3] = {0, 0, 0};
    bool highCapacity = false;
    int subType = 0, clv = 0, ultra = 0;
    std::string mediaMaker, mediaType;
    int mediaRevision = 1;
    std::vector<std::pair<long, int>> formatCapacities;
    int background = -1; // DVD+RW background format status; -1: not given (none when blank, else complete)
    struct Patch {
        long lba;
        int offset;
        std::string text;
    };
    std::vector<Patch> patches;

    int Sessions() const { return tracks.empty() ? 0 : tracks.back().session; }
    // End (first block after) of the session's last track.
    long SessionEnd(int session) const
    {
        long end = 0;
        for (const Track& t : tracks) {
            if (t.session == session)
                end = t.start + t.size;
        }
        return end;
    }
    const Track* TrackAt(long lba) const
    {
        for (const Track& t : tracks) {
            if (lba >= t.start && lba < t.start + t.size)
                return &t;
        }
        return nullptr;
    }
    bool LastSessionOpen() const { return open || (!tracks.empty() && tracks.back().open); }
};

struct KindInfo {
    const char* name;
    bool cd;
    bool recordable;
    bool erasable;
    int profile;
    int bookType;
    int layers;
};

const KindInfo kKinds[] = {
    {"cd-rom", true, false, false, 0x08, 0, 1},    {"cd-r", true, true, false, 0x09, 0, 1},
    {"cd-rw", true, true, true, 0x0A, 0, 1},       {"dvd-rom", false, false, false, 0x10, 0, 1},
    {"dvd-r", false, true, false, 0x11, 2, 1},     {"dvd-rw", false, true, true, 0x13, 3, 1},
    {"dvd+r", false, true, false, 0x1B, 10, 1},    {"dvd+rw", false, true, true, 0x1A, 9, 1},
    {"dvd-ram", false, true, true, 0x12, 1, 1},    {"dvd-r-dl", false, true, false, 0x15, 2, 2},
    {"dvd+r-dl", false, true, false, 0x2B, 14, 2},
};

// Image files are read once per module and shared by every disc that names them.
Image LoadImage(const std::string& path, std::string& error)
{
    static std::mutex lock;
    static std::map<std::string, Image> cache;
    std::lock_guard<std::mutex> guard(lock);
    auto it = cache.find(path);
    if (it != cache.end())
        return it->second;
    FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        error = "cannot read the image " + path;
        return nullptr;
    }
    auto data = std::make_shared<std::vector<uint8_t>>();
    uint8_t buffer[65536];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof(buffer), file)) > 0)
        data->insert(data->end(), buffer, buffer + n);
    std::fclose(file);
    cache[path] = data;
    return data;
}

long ImageBlocks(const Image& image)
{
    return image ? long((image->size() + 2047) / 2048) : 0;
}

bool ParseStatement(Disc& disc, bool& started, const std::vector<EmuDiscWord>& w, std::string& error)
{
    const std::string& verb = w[0].text;
    long long v = 0;
    if (verb == "disc-image") {
        if (started) {
            error = "a second disc-image";
            return false;
        }
        if (w.size() < 2) {
            error = "disc-image needs a kind";
            return false;
        }
        const KindInfo* kind = nullptr;
        for (const KindInfo& k : kKinds) {
            if (w[1].text == k.name)
                kind = &k;
        }
        if (kind == nullptr) {
            error = "unknown disc kind " + w[1].text;
            return false;
        }
        disc.kind = kind->name;
        disc.cd = kind->cd;
        disc.recordable = kind->recordable;
        disc.erasable = kind->erasable;
        disc.profile = kind->profile;
        disc.bookType = kind->bookType;
        disc.layers = kind->layers;
        for (size_t i = 2; i < w.size(); ++i) {
            if (w[i].text == "blank")
                disc.blank = true;
            else if (w[i].text == "open")
                disc.open = true;
            else if (w[i].text == "layers" && i + 1 < w.size() && EmuParseNumber(w[i + 1].text, v) &&
                     (v == 1 || v == 2)) {
                disc.layers = int(v);
                ++i;
            } else if (w[i].text == "blocks" && i + 1 < w.size() && EmuParseNumber(w[i + 1].text, v) && v > 0 &&
                       v < 0x7FFFFFFF) {
                disc.blocks = long(v);
                ++i;
            } else {
                error = "bad disc-image option " + w[i].text;
                return false;
            }
        }
        started = true;
        return true;
    }
    if (!started) {
        error = verb + " before disc-image";
        return false;
    }
    if (verb == "disc-file") {
        if (w.size() != 2 || !w[1].quoted || disc.cd) {
            error = "disc-file needs a quoted path and a DVD";
            return false;
        }
        disc.image = LoadImage(w[1].text, error);
        return disc.image != nullptr;
    }
    if (verb == "disc-track") {
        if (w.size() < 3 || !disc.cd) {
            error = "disc-track needs a mode, a source and a CD";
            return false;
        }
        Track t;
        if (w[1].text == "audio")
            t.audio = true;
        else if (w[1].text == "mode1")
            t.mode = 1;
        else if (w[1].text == "mode2")
            t.mode = 2;
        else {
            error = "bad track mode " + w[1].text;
            return false;
        }
        if (w[2].quoted) {
            t.image = LoadImage(w[2].text, error);
            if (!t.image)
                return false;
            t.written = ImageBlocks(t.image);
        } else if (EmuParseNumber(w[2].text, v) && v > 0 && v < 500000) {
            t.written = long(v);
        } else {
            error = "bad track source " + w[2].text;
            return false;
        }
        t.session = disc.tracks.empty() ? 1 : disc.tracks.back().session;
        for (size_t i = 3; i < w.size(); ++i) {
            const std::string& o = w[i].text;
            bool value = i + 1 < w.size();
            if (o == "session" && value && EmuParseNumber(w[i + 1].text, v) && v >= t.session && v <= t.session + 1) {
                t.session = int(v);
                ++i;
            } else if (o == "isrc" && value && w[i + 1].quoted && w[i + 1].text.size() == 12) {
                t.isrc = w[i + 1].text;
                ++i;
            } else if (o == "size" && value && EmuParseNumber(w[i + 1].text, v) && v > 0) {
                t.size = long(v);
                ++i;
            } else if (o == "runout" && value && EmuParseNumber(w[i + 1].text, v) && v >= 0 && v < 160) {
                t.runout = int(v);
                ++i;
            } else if (o == "packet") {
                t.packet = true;
            } else if (o == "open") {
                t.open = true;
            } else {
                error = "bad track option " + o;
                return false;
            }
        }
        if (t.size < t.written)
            t.size = t.written;
        t.number = int(disc.tracks.size()) + 1;
        if (disc.tracks.empty())
            t.start = 0;
        else if (t.session == disc.tracks.back().session)
            t.start = disc.tracks.back().start + disc.tracks.back().size;
        else
            t.start = disc.SessionEnd(disc.tracks.back().session) + 6750 + 4500 + 150;
        disc.tracks.push_back(t);
        return true;
    }
    if (verb == "disc-mcn") {
        if (w.size() != 2 || w[1].text.size() != 13 || w[1].text.find_first_not_of("0123456789") != std::string::npos) {
            error = "disc-mcn needs 13 digits";
            return false;
        }
        disc.mcn = w[1].text;
        return true;
    }
    if (verb == "disc-cdtext") {
        if (w.size() != 4 || (w[1].text != "title" && w[1].text != "performer") || !EmuParseNumber(w[2].text, v) ||
            v < 0 || v > 99 || !w[3].quoted) {
            error = "disc-cdtext needs title or performer, a track and a text";
            return false;
        }
        disc.cdText[{w[1].text == "title" ? 0x80 : 0x81, int(v)}] = w[3].text;
        return true;
    }
    if (verb == "disc-cdtext-crc-error") {
        if (w.size() != 2 || !EmuParseNumber(w[1].text, v) || v < 0) {
            error = "disc-cdtext-crc-error needs a pack number";
            return false;
        }
        disc.cdTextCrcErrors.push_back(int(v));
        return true;
    }
    if (verb == "disc-atip") {
        if (w.size() < 3 || !Msf(w[1].text, disc.leadIn) || !Msf(w[2].text, disc.leadOut)) {
            error = "disc-atip needs two times M:S:F";
            return false;
        }
        disc.haveAtip = true;
        for (size_t i = 3; i < w.size(); ++i) {
            const std::string& o = w[i].text;
            bool value = i + 1 < w.size() && EmuParseNumber(w[i + 1].text, v) && v >= 0 && v <= 15;
            if (o == "rw")
                disc.erasable = true;
            else if (o == "hc")
                disc.highCapacity = true;
            else if (o == "subtype" && value)
                disc.subType = int(v), ++i;
            else if (o == "clv" && value)
                disc.clv = int(v), ++i;
            else if (o == "ultra" && value)
                disc.ultra = int(v), ++i;
            else {
                error = "bad disc-atip option " + o;
                return false;
            }
        }
        return true;
    }
    if (verb == "disc-media-id") {
        if (w.size() < 3 || !w[1].quoted || !w[2].quoted) {
            error = "disc-media-id needs two quoted texts";
            return false;
        }
        disc.mediaMaker = w[1].text;
        disc.mediaType = w[2].text;
        if (w.size() > 3 && EmuParseNumber(w[3].text, v))
            disc.mediaRevision = int(v);
        return true;
    }
    if (verb == "disc-format-capacity") {
        long long type = 0;
        if (w.size() != 3 || !EmuParseNumber(w[1].text, v) || !EmuParseNumber(w[2].text, type) || type < 0 ||
            type > 255) {
            error = "disc-format-capacity needs blocks and a type byte";
            return false;
        }
        disc.formatCapacities.push_back({long(v), int(type)});
        return true;
    }
    if (verb == "disc-background") {
        if (w.size() != 2 || !EmuParseNumber(w[1].text, v) || v < 0 || v > 3) {
            error = "disc-background needs 0-3";
            return false;
        }
        disc.background = int(v);
        return true;
    }
    if (verb == "disc-sector") {
        long long offset = 0;
        if (w.size() != 4 || !EmuParseNumber(w[1].text, v) || !EmuParseNumber(w[2].text, offset) || offset < 0 ||
            offset >= 2048 || !w[3].quoted) {
            error = "disc-sector needs an LBA, an offset and a text";
            return false;
        }
        disc.patches.push_back({long(v), int(offset), w[3].text});
        return true;
    }
    error = "unknown disc statement " + verb;
    return false;
}

bool ParseDisc(const std::string& text, Disc& disc, std::string& error)
{
    std::stringstream stream(text);
    std::string line;
    bool started = false;
    int nLine = 0;
    while (std::getline(stream, line)) {
        ++nLine;
        std::vector<EmuDiscWord> words;
        if (!EmuSplitLine(line, words, error))
            return false;
        if (words.empty())
            continue;
        if (!ParseStatement(disc, started, words, error))
            return false;
    }
    if (!started) {
        error = "no disc-image";
        return false;
    }
    if (!disc.cd && disc.blocks == 0)
        disc.blocks = std::max(ImageBlocks(disc.image), 1L);
    if (disc.cd && !disc.tracks.empty())
        disc.blocks = disc.SessionEnd(disc.Sessions());
    if (disc.cd && disc.blank && disc.blocks == 0)
        disc.blocks = 359847;
    return true;
}

// The model of a drive's description, built once per text in this module.
std::shared_ptr<const Disc> DiscOf(const CEmuDrive& drive)
{
    const std::vector<uint8_t>* spec = drive.GetBytes("disc.spec");
    if (spec == nullptr || spec->empty())
        return nullptr;
    static std::mutex lock;
    static std::map<std::string, std::shared_ptr<const Disc>> cache;
    std::string text(spec->begin(), spec->end());
    std::lock_guard<std::mutex> guard(lock);
    auto it = cache.find(text);
    if (it != cache.end())
        return it->second;
    auto disc = std::make_shared<Disc>();
    std::string error;
    if (!ParseDisc(text, *disc, error))
        disc = nullptr;
    cache[text] = disc;
    return disc;
}

// --- sectors -------------------------------------------------------------------------------------------------

void UserData(const Disc& disc, const Track* track, long lba, uint8_t* p2048)
{
    std::memset(p2048, 0, 2048);
    const Image& image = disc.cd ? (track ? track->image : Image()) : disc.image;
    long index = disc.cd ? (track ? lba - track->start : -1) : lba;
    if (image) {
        size_t offset = size_t(index) * 2048;
        if (index >= 0 && offset < image->size())
            std::memcpy(p2048, image->data() + offset, std::min<size_t>(2048, image->size() - offset));
    } else if (disc.cd && track != nullptr && index < track->written) {
        SetBe32(p2048, uint32_t(lba));
        for (int i = 4; i < 2048; ++i)
            p2048[i] = uint8_t(lba + i);
    }
    for (const Disc::Patch& patch : disc.patches) {
        if (patch.lba == lba)
            std::memcpy(p2048 + patch.offset, patch.text.data(),
                        std::min<size_t>(patch.text.size(), size_t(2048 - patch.offset)));
    }
}

void AudioData(long lba, uint8_t* p2352)
{
    for (int i = 0; i < 2352; ++i)
        p2352[i] = uint8_t(lba * 7 + i);
}

// The mode byte of a written block: data mode, or the block type of the run-out and link blocks that end a
// packet-written track (first run-out 0xE_).
uint8_t ModeByte(const Track& track, long lba)
{
    long fromEnd = track.start + track.written - lba;
    if (track.runout > 0 && fromEnd <= track.runout) {
        static const uint8_t kTypes[7] = {0xE0, 0xC0, 0xA0, 0x80, 0x60, 0x40, 0x20};
        long k = track.runout - fromEnd;
        return uint8_t(kTypes[k % 7] | track.mode);
    }
    return uint8_t(track.mode);
}

void RawSector(const Disc& disc, const Track* track, long lba, uint8_t* p2352)
{
    if (track != nullptr && track->audio) {
        AudioData(lba, p2352);
        return;
    }
    std::memset(p2352, 0, 2352);
    std::memset(p2352 + 1, 0xFF, 10);
    long v = lba + 150;
    p2352[12] = Bcd(uint32_t(v / 4500));
    p2352[13] = Bcd(uint32_t((v / 75) % 60));
    p2352[14] = Bcd(uint32_t(v % 75));
    p2352[15] = track ? ModeByte(*track, lba) : 1;
    if (track != nullptr && track->mode == 2) {
        static const uint8_t kSubheader[8] = {0, 0, 0x08, 0, 0, 0, 0x08, 0};
        std::memcpy(p2352 + 16, kSubheader, 8);
        UserData(disc, track, lba, p2352 + 24);
    } else {
        UserData(disc, track, lba, p2352 + 16);
    }
}

// The twelve Q bytes (with CRC) of a block: the media catalogue number every tenth block from 3, a track's ISRC
// every tenth from 6, else the position.
void QData(const Disc& disc, long lba, uint8_t q[12])
{
    std::memset(q, 0, 12);
    const Track* track = disc.TrackAt(lba);
    int control = track ? (track->audio ? 0 : 4) : 4;
    long aframe = (lba + 150) % 75;
    if (!disc.mcn.empty() && lba % 10 == 3) {
        q[0] = uint8_t(control << 4 | 2);
        for (int i = 0; i < 13; ++i) {
            int digit = disc.mcn[size_t(i)] - '0';
            q[1 + i / 2] |= uint8_t(i % 2 == 0 ? digit << 4 : digit);
        }
        q[9] = Bcd(uint32_t(aframe));
    } else if (track != nullptr && !track->isrc.empty() && lba % 10 == 6) {
        q[0] = uint8_t(control << 4 | 3);
        uint32_t bits = 0;
        for (int i = 0; i < 5; ++i)
            bits |= uint32_t((track->isrc[size_t(i)] - '0') & 0x3F) << (26 - 6 * i);
        SetBe32(q + 1, bits);
        for (int i = 0; i < 7; ++i) {
            int digit = track->isrc[size_t(5 + i)] - '0';
            q[5 + i / 2] |= uint8_t(i % 2 == 0 ? digit << 4 : digit);
        }
        q[9] = Bcd(uint32_t(aframe));
    } else {
        q[0] = uint8_t(control << 4 | 1);
        long relative = track ? lba - track->start : 0;
        q[1] = track ? Bcd(uint32_t(track->number)) : 0xAA;
        q[2] = 1;
        q[3] = Bcd(uint32_t(relative / 4500));
        q[4] = Bcd(uint32_t((relative / 75) % 60));
        q[5] = Bcd(uint32_t(relative % 75));
        long v = lba + 150;
        q[7] = Bcd(uint32_t(v / 4500));
        q[8] = Bcd(uint32_t((v / 75) % 60));
        q[9] = Bcd(uint32_t(v % 75));
    }
    uint16_t crc = uint16_t(~Crc16(q, 10));
    q[10] = uint8_t(crc >> 8);
    q[11] = uint8_t(crc);
}

// 96 bytes of raw P-W: bit 6 of byte i carries Q bit i.
void RawSubchannel(const Disc& disc, long lba, uint8_t* p96)
{
    uint8_t q[12];
    QData(disc, lba, q);
    for (int i = 0; i < 96; ++i)
        p96[i] = uint8_t(((q[i / 8] >> (7 - i % 8)) & 1) << 6);
}

// Whether a CD block can be read: inside a track (written part) or in a session's lead-out.
bool Readable(const Disc& disc, long lba)
{
    if (lba < 0 || disc.blank)
        return false;
    if (!disc.cd)
        return lba < disc.blocks;
    if (const Track* t = disc.TrackAt(lba))
        return lba < t->start + t->written;
    for (int s = 1; s <= disc.Sessions(); ++s) {
        long end = disc.SessionEnd(s);
        if (lba >= end && lba < end + 6750)
            return true;
    }
    return false;
}

// --- answers -------------------------------------------------------------------------------------------------

bool Override(EmuCommand& command, const char* pszKey)
{
    const std::vector<uint8_t>* stored = command.pDrive->GetBytes(pszKey);
    if (stored == nullptr || stored->empty())
        return false;
    command.Reply(stored->data(), uint32_t(stored->size()));
    return true;
}

void LimitAllocation(EmuCommand& command, uint32_t n)
{
    if (command.nAllocation > n)
        command.nAllocation = n;
}

std::vector<uint8_t> Toc(const Disc& disc)
{
    std::vector<uint8_t> toc(4, 0);
    auto add = [&](int control, int number, long start) {
        uint8_t d[8] = {0, uint8_t(0x10 | control), uint8_t(number), 0};
        SetBe32(d + 4, uint32_t(start));
        toc.insert(toc.end(), d, d + 8);
    };
    if (disc.cd) {
        for (const Track& t : disc.tracks)
            add(t.audio ? 0 : 4, t.number, t.start);
        add(disc.tracks.back().audio ? 0 : 4, 0xAA, disc.SessionEnd(disc.Sessions()));
        toc[2] = 1;
        toc[3] = uint8_t(disc.tracks.size());
    } else {
        add(4, 1, 0);
        add(4, 0xAA, disc.blocks);
        toc[2] = toc[3] = 1;
    }
    SetBe16(toc.data(), uint32_t(toc.size() - 2));
    return toc;
}

std::vector<uint8_t> SessionInfo(const Disc& disc)
{
    std::vector<uint8_t> answer(12, 0);
    SetBe16(answer.data(), 10);
    answer[2] = 1;
    answer[3] = uint8_t(disc.cd ? disc.Sessions() : 1);
    const Track* first = nullptr;
    for (const Track& t : disc.tracks) {
        if (t.session == answer[3] && first == nullptr)
            first = &t;
    }
    answer[5] = 0x14;
    answer[6] = uint8_t(first ? first->number : 1);
    SetBe32(&answer[8], uint32_t(first ? first->start : 0));
    return answer;
}

// Full TOC in binary: per session A0, A1, A2, the tracks, and on recordable discs B0 (next program area or FF
// when closed) and, in session 1, C0 with the disc's lead-in start.
std::vector<uint8_t> FullToc(const Disc& disc)
{
    std::vector<uint8_t> toc(4, 0);
    auto add = [&](int session, int control, int adr, int point, const uint8_t msf[3], const uint8_t pmsf[3]) {
        uint8_t d[11] = {uint8_t(session), uint8_t(adr << 4 | control), 0, uint8_t(point)};
        if (msf)
            std::memcpy(d + 4, msf, 3);
        if (pmsf)
            std::memcpy(d + 8, pmsf, 3);
        toc.insert(toc.end(), d, d + 11);
    };
    int sessions = disc.cd ? disc.Sessions() : 1;
    for (int s = 1; s <= sessions; ++s) {
        const Track* first = nullptr;
        const Track* last = nullptr;
        for (const Track& t : disc.tracks) {
            if (t.session == s) {
                if (first == nullptr)
                    first = &t;
                last = &t;
            }
        }
        if (first == nullptr)
            continue;
        int control = first->audio ? 0 : 4;
        uint8_t a0[3] = {uint8_t(first->number), uint8_t(first->mode == 2 ? 0x20 : 0), 0};
        uint8_t a1[3] = {uint8_t(last->number), 0, 0};
        uint8_t a2[3];
        PutMsf(a2, disc.SessionEnd(s));
        add(s, control, 1, 0xA0, nullptr, a0);
        add(s, control, 1, 0xA1, nullptr, a1);
        add(s, control, 1, 0xA2, nullptr, a2);
        for (const Track& t : disc.tracks) {
            if (t.session != s)
                continue;
            uint8_t p[3];
            PutMsf(p, t.start);
            add(s, t.audio ? 0 : 4, 1, t.number, nullptr, p);
        }
        if (disc.recordable) {
            uint8_t next[3] = {0xFF, 0xFF, 0xFF};
            if (s == sessions && disc.LastSessionOpen())
                PutMsf(next, disc.SessionEnd(s) + 6750 + 4500 + 150);
            uint8_t limit[3] = {uint8_t(disc.leadOut[0]), uint8_t(disc.leadOut[1]), uint8_t(disc.leadOut[2])};
            add(s, 0, 5, 0xB0, next, limit);
            if (s == 1 && disc.haveAtip) {
                uint8_t power[3] = {0, 0, 0};
                uint8_t leadIn[3] = {uint8_t(disc.leadIn[0]), uint8_t(disc.leadIn[1]), uint8_t(disc.leadIn[2])};
                add(s, 0, 5, 0xC0, power, leadIn);
            }
        }
    }
    SetBe16(toc.data(), uint32_t(toc.size() - 2));
    toc[2] = 1;
    toc[3] = uint8_t(sessions);
    return toc;
}

void ConvertFullTocToBcd(std::vector<uint8_t>& toc)
{
    for (size_t at = 4; at + 11 <= toc.size(); at += 11) {
        uint8_t* d = &toc[at];
        if (d[3] <= 99)
            d[3] = Bcd(d[3]);
        if (d[3] != 0xA0) {
            d[8] = Bcd(d[8]);
            d[9] = Bcd(d[9]);
            d[10] = Bcd(d[10]);
        }
    }
}

std::vector<uint8_t> Atip(const Disc& disc)
{
    std::vector<uint8_t> atip(28, 0);
    SetBe16(atip.data(), 26);
    atip[4] = 0x50;
    atip[6] = uint8_t((disc.erasable ? 0x40 : 0) | ((disc.subType & 3) << 3) | (disc.highCapacity ? 0x04 : 0));
    for (int i = 0; i < 3; ++i) {
        atip[8 + i] = uint8_t(disc.leadIn[i]);
        atip[12 + i] = uint8_t(disc.leadOut[i]);
    }
    atip[16] = uint8_t(disc.clv & 0x0F);
    atip[18] = uint8_t(disc.highCapacity ? 0x01 : 0);
    atip[20] = uint8_t(disc.ultra & 0x0F);
    return atip;
}

// CD-TEXT packs of the titles and performers, strings one after another per type, with size information.
std::vector<uint8_t> CdText(const Disc& disc)
{
    std::vector<uint8_t> packs;
    int sequence = 0;
    int lastTrack = disc.tracks.empty() ? 1 : int(disc.tracks.size());
    int counts[2] = {0, 0};
    for (int type = 0x80; type <= 0x81; ++type) {
        std::string text;
        std::vector<int> trackOf;
        std::vector<int> positionOf;
        for (int t = 0; t <= lastTrack; ++t) {
            auto it = disc.cdText.find({type, t});
            std::string s = it == disc.cdText.end() ? "" : it->second;
            for (size_t i = 0; i <= s.size(); ++i) {
                trackOf.push_back(t);
                positionOf.push_back(int(i));
            }
            text += s;
            text += '\0';
        }
        bool any = false;
        for (int t = 0; t <= lastTrack; ++t)
            any = any || disc.cdText.count({type, t}) != 0;
        if (!any)
            continue;
        for (size_t at = 0; at < text.size(); at += 12) {
            uint8_t pack[18] = {uint8_t(type), uint8_t(trackOf[at]), uint8_t(sequence++),
                                uint8_t(std::min(positionOf[at], 15))};
            for (size_t i = 0; i < 12 && at + i < text.size(); ++i)
                pack[4 + i] = uint8_t(text[at + i]);
            packs.insert(packs.end(), pack, pack + 18);
            ++counts[type - 0x80];
        }
    }
    if (packs.empty())
        return {};
    uint8_t info[36] = {0x01, 1, uint8_t(lastTrack), 0, uint8_t(counts[0]), uint8_t(counts[1])};
    info[19] = 3;
    info[20] = uint8_t(sequence + 2);
    info[28] = 0x09;
    for (int i = 0; i < 3; ++i) {
        uint8_t pack[18] = {0x8F, uint8_t(i), uint8_t(sequence++), 0};
        std::memcpy(pack + 4, info + 12 * i, 12);
        packs.insert(packs.end(), pack, pack + 18);
    }
    for (size_t at = 0, n = 0; at < packs.size(); at += 18, ++n) {
        uint16_t crc = uint16_t(~Crc16(&packs[at], 16));
        packs[at + 16] = uint8_t(crc >> 8);
        packs[at + 17] = uint8_t(crc);
        if (std::find(disc.cdTextCrcErrors.begin(), disc.cdTextCrcErrors.end(), int(n)) != disc.cdTextCrcErrors.end())
            packs[at + 17] ^= 0x5A;
    }
    std::vector<uint8_t> answer(4, 0);
    SetBe16(answer.data(), uint32_t(packs.size() + 2));
    answer.insert(answer.end(), packs.begin(), packs.end());
    return answer;
}

// 43 | msf | format (bits 3-0) | 00 00 00 | track/session | 7-8 allocation | format << 6 (older placement)
void ReadToc(EmuCommand& command, const Disc& disc)
{
    CEmuDrive& drive = *command.pDrive;
    int format;
    if (drive.GetInt("toc.oldPlacement", 0) != 0) {
        if ((command.cdb[2] & 0x0F) != 0) {
            command.CheckCondition(5, 0x24, 0x00);
            return;
        }
        format = command.cdb[9] >> 6;
    } else {
        format = command.cdb[2] & 0x0F;
        if (format == 0)
            format = command.cdb[9] >> 6;
    }
    LimitAllocation(command, (uint32_t(command.cdb[7]) << 8) | command.cdb[8]);
    char key[16];
    std::snprintf(key, sizeof(key), "toc.%d", format);
    if (Override(command, key))
        return;
    std::vector<uint8_t> answer;
    bool written = !disc.blank && (!disc.cd || !disc.tracks.empty());
    if (format == 0 && written)
        answer = Toc(disc);
    else if (format == 1 && written)
        answer = SessionInfo(disc);
    else if (format == 2 && written) {
        answer = FullToc(disc);
        if (drive.GetInt("toc.bcd", 0) != 0)
            ConvertFullTocToBcd(answer);
    } else if (format == 4 && disc.cd && disc.haveAtip)
        answer = Atip(disc);
    else if (format == 5 && disc.cd)
        answer = CdText(disc);
    if (answer.empty()) {
        command.CheckCondition(5, 0x24, 0x00);
        return;
    }
    command.Reply(answer.data(), uint32_t(answer.size()));
}

void ReadDiscInformation(EmuCommand& command, const Disc& disc)
{
    LimitAllocation(command, (uint32_t(command.cdb[7]) << 8) | command.cdb[8]);
    if (Override(command, "discinfo"))
        return;
    std::vector<uint8_t> answer(34, 0);
    SetBe16(answer.data(), 32);
    // A DVD+RW on which no format was ever started is empty; once one has started (background format suspended,
    // running or complete) the drive reports the whole disc complete, written or not, and the format's state in
    // byte 7.
    const bool plusRw = disc.kind == "dvd+rw";
    const bool formatStarted = plusRw && (!disc.blank || disc.background > 0);
    int status, last;
    if (formatStarted)
        status = 2, last = 3;
    else if (disc.blank)
        status = 0, last = 0;
    else if (disc.LastSessionOpen())
        status = 1, last = 1;
    else
        status = 2, last = 3;
    int sessions = disc.cd ? std::max(disc.Sessions(), 1) : 1;
    answer[2] = uint8_t((disc.erasable ? 0x10 : 0) | (last << 2) | status);
    answer[3] = 1;
    answer[4] = uint8_t(sessions);
    int firstInLast = 0, lastInLast = 0;
    for (const Track& t : disc.tracks) {
        if (t.session == sessions) {
            if (firstInLast == 0)
                firstInLast = t.number;
            lastInLast = t.number;
        }
    }
    if (firstInLast == 0)
        firstInLast = lastInLast = 1;
    answer[5] = uint8_t(firstInLast);
    answer[6] = uint8_t(lastInLast);
    answer[7] = uint8_t(formatStarted ? (disc.background < 0 ? 3 : disc.background) : 0);
    if (disc.cd && disc.haveAtip && (disc.blank || disc.LastSessionOpen())) {
        for (int i = 0; i < 3; ++i) {
            answer[17 + i] = uint8_t(disc.leadIn[i]);
            answer[21 + i] = uint8_t(disc.leadOut[i]);
        }
    } else {
        std::memset(&answer[16], 0xFF, 8);
    }
    command.Reply(answer.data(), uint32_t(answer.size()));
}

// 52 | address type | 2-5 number | 00 | 7-8 allocation | 00
void ReadTrackInformation(EmuCommand& command, const Disc& disc)
{
    LimitAllocation(command, (uint32_t(command.cdb[7]) << 8) | command.cdb[8]);
    if (Override(command, "trackinfo"))
        return;
    int type = command.cdb[1] & 3;
    long number = long(GetBe32(command.cdb + 2));
    std::vector<uint8_t> answer(36, 0);
    SetBe16(answer.data(), 34);
    auto fill = [&](int n, int session, long start, long written, long size, bool blank, bool packet, bool open,
                    int control) {
        answer[2] = uint8_t(n);
        answer[3] = uint8_t(session);
        answer[5] = uint8_t(control);
        answer[6] = uint8_t((blank ? 0x40 : 0) | (packet ? 0x20 : 0) | (open ? 0x00 : 0) | 0x01);
        answer[7] = uint8_t(open || blank ? 0x01 : 0);
        SetBe32(&answer[8], uint32_t(start));
        SetBe32(&answer[12], uint32_t(open || blank ? start + written : 0));
        SetBe32(&answer[16], uint32_t(size - written));
        SetBe32(&answer[24], uint32_t(size));
    };
    if (!disc.cd) {
        if (!((type == 1 && number == 1) || (type == 0 && number < disc.blocks))) {
            command.CheckCondition(5, 0x24, 0x00);
            return;
        }
        long written = disc.blank ? 0 : ImageBlocks(disc.image);
        bool open = disc.blank || disc.open;
        fill(1, 1, 0, open ? written : disc.blocks, disc.blocks, disc.blank, false, open, 4);
        command.Reply(answer.data(), uint32_t(answer.size()));
        return;
    }
    const Track* track = nullptr;
    for (const Track& t : disc.tracks) {
        if ((type == 1 && t.number == number) || (type == 0 && number >= t.start && number < t.start + t.size))
            track = &t;
    }
    bool packetOpen = !disc.tracks.empty() && disc.tracks.back().packet && disc.tracks.back().open;
    if (track == nullptr) {
        // The invisible track after the last one of a disc that can take more.
        long next = disc.tracks.empty() ? 0 : disc.SessionEnd(disc.Sessions());
        int n = int(disc.tracks.size()) + 1;
        if ((disc.blank || disc.LastSessionOpen()) && type == 1 && number == n) {
            fill(n, std::max(disc.Sessions(), 1), next, 0, disc.blank ? 359847 : 1000, true, packetOpen, true, 4);
            command.Reply(answer.data(), uint32_t(answer.size()));
            return;
        }
        command.CheckCondition(5, 0x24, 0x00);
        return;
    }
    fill(track->number, track->session, track->start, track->written, track->size, false, track->packet, track->open,
         track->audio ? 0 : 4);
    command.Reply(answer.data(), uint32_t(answer.size()));
}

std::vector<uint8_t> PhysicalFormat(const Disc& disc)
{
    std::vector<uint8_t> answer(2052, 0);
    SetBe16(answer.data(), 2050);
    answer[4] = uint8_t(disc.bookType << 4 | 1);
    answer[5] = 0x02;
    answer[6] = uint8_t(((disc.layers - 1) & 3) << 5 | (disc.recordable ? (disc.erasable ? 4 : 2) : 1));
    SetBe32(&answer[8], 0x30000);
    SetBe32(&answer[12], uint32_t(0x30000 + disc.blocks - 1));
    SetBe32(&answer[16], uint32_t(0x30000 + disc.blocks / disc.layers - 1));
    if (disc.profile == 0x1A || disc.profile == 0x1B || disc.profile == 0x2B) {
        std::memcpy(&answer[23], disc.mediaMaker.data(), std::min<size_t>(disc.mediaMaker.size(), 8));
        std::memcpy(&answer[31], disc.mediaType.data(), std::min<size_t>(disc.mediaType.size(), 3));
        answer[34] = uint8_t(disc.mediaRevision);
    }
    return answer;
}

// AD | 00 | 2-5 address | 6 layer | 7 format | 8-9 allocation | 00
void ReadDiscStructure(EmuCommand& command, const Disc& disc)
{
    LimitAllocation(command, (uint32_t(command.cdb[8]) << 8) | command.cdb[9]);
    char key[16];
    std::snprintf(key, sizeof(key), "ds.%02X", command.cdb[7]);
    if (Override(command, key))
        return;
    if (disc.cd) {
        command.CheckCondition(5, 0x30, 0x02);
        return;
    }
    std::vector<uint8_t> answer;
    int format = command.cdb[7];
    if (format == 0x00) {
        answer = PhysicalFormat(disc);
    } else if (format == 0x0E &&
               (disc.profile == 0x11 || disc.profile == 0x13 || disc.profile == 0x14 || disc.profile == 0x15) &&
               !disc.mediaMaker.empty()) {
        answer.assign(2052, 0);
        SetBe16(answer.data(), 2050);
        std::string maker = disc.mediaMaker + std::string(12, '\0');
        std::memcpy(&answer[21], maker.data(), 6);
        std::memcpy(&answer[29], maker.data() + 6, 6);
    } else if (format == 0x11 && (disc.profile == 0x1A || disc.profile == 0x1B || disc.profile == 0x2B)) {
        answer = PhysicalFormat(disc);
    } else {
        command.CheckCondition(5, 0x24, 0x00);
        return;
    }
    command.Reply(answer.data(), uint32_t(answer.size()));
}

void ReadFormatCapacities(EmuCommand& command, const Disc& disc)
{
    LimitAllocation(command, (uint32_t(command.cdb[7]) << 8) | command.cdb[8]);
    if (Override(command, "formatcapacities"))
        return;
    if (disc.formatCapacities.empty()) {
        command.CheckCondition(5, 0x24, 0x00);
        return;
    }
    std::vector<uint8_t> answer(4, 0);
    for (const auto& d : disc.formatCapacities) {
        uint8_t descriptor[8] = {};
        SetBe32(descriptor, uint32_t(d.first));
        descriptor[4] = uint8_t(d.second);
        descriptor[6] = 0x08;
        answer.insert(answer.end(), descriptor, descriptor + 8);
    }
    answer[3] = uint8_t(answer.size() - 4);
    command.Reply(answer.data(), uint32_t(answer.size()));
}

void ReadCapacity(EmuCommand& command, const Disc& disc)
{
    uint8_t answer[8] = {};
    bool packetOpen = !disc.tracks.empty() && disc.tracks.back().packet && disc.tracks.back().open;
    long last = 0;
    if (!disc.blank && !packetOpen)
        last = disc.cd ? disc.SessionEnd(disc.Sessions()) - 1 : disc.blocks - 1;
    SetBe32(answer, uint32_t(last));
    SetBe32(answer + 4, 2048);
    command.Reply(answer, sizeof(answer));
}

// Blocks of one size from lba: user data (2048), raw (2352), raw with P-W (2448), raw with formatted Q (2368),
// P-W alone (96). Audio blocks have no 2048-byte form.
bool ReadBlocks(EmuCommand& command, const Disc& disc, long lba, uint32_t count, uint32_t blockSize)
{
    std::vector<uint8_t> data;
    data.reserve(size_t(count) * blockSize);
    for (uint32_t i = 0; i < count; ++i) {
        long at = lba + long(i);
        if (!Readable(disc, at)) {
            command.CheckCondition(5, 0x21, 0x00);
            return false;
        }
        const Track* track = disc.cd ? disc.TrackAt(at) : nullptr;
        uint8_t block[2448];
        if (blockSize == 2048) {
            if (track != nullptr && track->audio) {
                command.CheckCondition(5, 0x64, 0x00);
                return false;
            }
            UserData(disc, track, at, block);
            data.insert(data.end(), block, block + 2048);
            continue;
        }
        if (blockSize != 96) {
            RawSector(disc, track, at, block);
            data.insert(data.end(), block, block + 2352);
        }
        if (blockSize == 2448 || blockSize == 96) {
            RawSubchannel(disc, at, block);
            data.insert(data.end(), block, block + 96);
        } else if (blockSize == 2368) {
            uint8_t q[16] = {};
            QData(disc, at, q);
            data.insert(data.end(), q, q + 16);
        }
    }
    command.Reply(data.data(), uint32_t(data.size()));
    return true;
}

bool RefusesSixByte(EmuCommand& command)
{
    if (command.pDrive->GetInt("mode.refuse6", 0) == 0)
        return false;
    command.CheckCondition(5, 0x20, 0x00);
    return true;
}

bool AnswerMedium(EmuCommand& command)
{
    std::shared_ptr<const Disc> disc = DiscOf(*command.pDrive);
    if (!disc)
        return false;
    const uint8_t* cdb = command.cdb;
    uint8_t opcode = cdb[0];
    switch (opcode) {
    case 0x08:
    case 0x0B:
    case 0x23:
    case 0x25:
    case 0x28:
    case 0x2B:
    case 0x43:
    case 0x51:
    case 0x52:
    case 0xAD:
    case 0xBE:
    case 0xD8:
        break;
    default:
        return false;
    }
    if (command.pDrive->GetInt(EMU_KEY_MEDIUM, 1) == 0) {
        command.CheckCondition(2, 0x3A, 0x00);
        return true;
    }
    switch (opcode) {
    case 0x08: { // READ(6): blocks of the current block length
        if (RefusesSixByte(command))
            break;
        long lba = long(((uint32_t(cdb[1]) & 0x1F) << 16) | (uint32_t(cdb[2]) << 8) | cdb[3]);
        uint32_t count = cdb[4] == 0 ? 256 : cdb[4];
        uint32_t size = uint32_t(command.pDrive->GetInt(EMU_KEY_BLOCK_LENGTH, 2048));
        if (size != 2048 && size != 2352 && size != 2448) {
            command.CheckCondition(5, 0x24, 0x00);
            break;
        }
        ReadBlocks(command, *disc, lba, count, size);
        break;
    }
    case 0x0B:
        RefusesSixByte(command);
        break;
    case 0x2B:
        break;
    case 0x23:
        ReadFormatCapacities(command, *disc);
        break;
    case 0x25:
        ReadCapacity(command, *disc);
        break;
    case 0x28: {
        long lba = long(GetBe32(cdb + 2));
        uint32_t count = (uint32_t(cdb[7]) << 8) | cdb[8];
        ReadBlocks(command, *disc, lba, count, 2048);
        break;
    }
    case 0x43:
        ReadToc(command, *disc);
        break;
    case 0x51:
        ReadDiscInformation(command, *disc);
        break;
    case 0x52:
        ReadTrackInformation(command, *disc);
        break;
    case 0xAD:
        ReadDiscStructure(command, *disc);
        break;
    case 0xBE: { // READ CD: flags 0xF8 raw, 0x10 user data; sub-channel 1 raw P-W, 2 formatted Q
        long lba = long(GetBe32(cdb + 2));
        uint32_t count = (uint32_t(cdb[6]) << 16) | (uint32_t(cdb[7]) << 8) | cdb[8];
        bool raw = (cdb[9] & 0x80) != 0;
        int sub = cdb[10] & 7;
        uint32_t size = raw ? 2352 : 2048;
        if (!raw && disc->cd) {
            const Track* track = disc->TrackAt(lba);
            if (track != nullptr && track->audio)
                size = 2352;
        }
        if (sub == 1 || sub == 4)
            size = size == 2352 ? 2448 : 0;
        else if (sub == 2)
            size = size == 2352 ? 2368 : 0;
        if (size == 0) {
            command.CheckCondition(5, 0x24, 0x00);
            break;
        }
        ReadBlocks(command, *disc, lba, count, size);
        break;
    }
    case 0xD8: { // the maker's audio read: lba 2-5, count 6-9, sub-code 10 (0 2352, 1 2368, 2 2448, 3 96)
        if (command.pDrive->GetInt("vendor", 0) == 0) {
            command.CheckCondition(5, 0x20, 0x00);
            break;
        }
        static const uint32_t kSizes[4] = {2352, 2368, 2448, 96};
        if (cdb[10] > 3) {
            command.CheckCondition(5, 0x24, 0x00);
            break;
        }
        ReadBlocks(command, *disc, long(GetBe32(cdb + 2)), GetBe32(cdb + 6), kSizes[cdb[10]]);
        break;
    }
    }
    return true;
}

struct HookInstaller {
    HookInstaller() { EmuSetMediumHook(AnswerMedium); }
};
HookInstaller g_hookInstaller;

// Keys an earlier disc statement of the description may have left, which would replace generated answers.
const char* const kOverrideKeys[] = {"toc.0",     "toc.1", "toc.2", "toc.4", "toc.5",           "discinfo",
                                     "trackinfo", "ds.00", "ds.0E", "ds.11", "formatcapacities"};

bool Install(IEmuMachine* pMachine, int nDrive, const std::string& text, std::string& error)
{
    Disc disc;
    if (!ParseDisc(text, disc, error))
        return false;
    for (const char* key : kOverrideKeys)
        pMachine->SetBytes(nDrive, key, "", 0);
    pMachine->SetBytes(nDrive, "disc.spec", text.data(), uint32_t(text.size()));
    pMachine->SetInt(nDrive, EMU_KEY_MEDIUM, 1);
    pMachine->SetInt(nDrive, EMU_KEY_BLOCKS, disc.blocks);
    pMachine->SetInt(nDrive, EMU_KEY_BLOCK_LENGTH, 2048);
    pMachine->SetInt(nDrive, "config.profile", disc.profile);
    return true;
}

} // namespace

bool EmuApplyDiscStatement(IEmuMachine* pMachine, int nDrive, const std::vector<EmuDiscWord>& words, std::string& error)
{
    if (words.empty())
        return true;
    std::string text;
    if (words[0].text != "disc-image") {
        std::vector<uint8_t> spec(pMachine->GetBytes(nDrive, "disc.spec", nullptr, 0));
        pMachine->GetBytes(nDrive, "disc.spec", spec.data(), uint32_t(spec.size()));
        text.assign(spec.begin(), spec.end());
    }
    text += JoinWords(words) + "\n";
    return Install(pMachine, nDrive, text, error);
}

bool EmuLoadDisc(IEmuMachine* pMachine, int nDrive, const std::string& text, std::string& error)
{
    return Install(pMachine, nDrive, text, error);
}

std::string EmuWinePath(const std::string& unixPath)
{
    std::string path = "Z:" + unixPath;
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

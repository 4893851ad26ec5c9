#include "studio/SymbolTable.h"

#include <QHash>

namespace sorvel::SymbolTable {

namespace {

// One entry a line (symbol, icon, fill): the build reads the
// icon names from these lines to pack exactly these drawings.
const QList<SymbolEntry> table = {
    // Project types and the symbol picker.
    {"music.note", "eighth-note", SymbolFill::Outline},
    {"music.note.list", "list-music", SymbolFill::Outline},
    {"music.quarternote.3", "sixteenth-notes", SymbolFill::Outline},
    {"pianokeys", "piano", SymbolFill::Outline},
    {"guitars", "guitar", SymbolFill::Outline},
    {"music.mic", "mic-vocal", SymbolFill::Outline},
    {"waveform", "audio-waveform", SymbolFill::Outline},
    {"waveform.path", "activity", SymbolFill::Outline},
    {"speaker.wave.2", "volume-2", SymbolFill::Outline},
    {"headphones", "headphones", SymbolFill::Outline},
    {"hifispeaker", "speaker", SymbolFill::Outline},
    {"metronome", "metronome", SymbolFill::Outline},
    {"mic", "mic", SymbolFill::Outline},
    {"person.wave.2", "speech", SymbolFill::Outline},
    {"bubble.left", "message-circle", SymbolFill::Outline},
    {"text.bubble", "message-square-text", SymbolFill::Outline},
    {"wind", "wind", SymbolFill::Outline},
    {"leaf", "leaf", SymbolFill::Outline},
    {"cloud.rain", "cloud-rain", SymbolFill::Outline},
    {"snowflake", "snowflake", SymbolFill::Outline},
    {"sun.max", "sun", SymbolFill::Outline},
    {"moon.stars", "moon-star", SymbolFill::Outline},
    {"flame", "flame", SymbolFill::Outline},
    {"drop", "droplet", SymbolFill::Outline},
    {"bolt", "zap", SymbolFill::Outline},
    {"sparkles", "sparkles", SymbolFill::Outline},
    {"bell", "bell", SymbolFill::Outline},
    {"hammer", "hammer", SymbolFill::Outline},
    {"figure.walk", "person-walking", SymbolFill::Outline},
    {"pawprint", "paw-print", SymbolFill::Outline},
    {"bird", "bird", SymbolFill::Outline},
    {"car", "car", SymbolFill::Outline},
    {"tram", "tram-front", SymbolFill::Outline},
    {"gamecontroller", "gamepad-2", SymbolFill::Outline},
    {"film", "film", SymbolFill::Outline},
    {"tv", "tv", SymbolFill::Outline},
    {"star", "star", SymbolFill::Outline},
    {"heart", "heart", SymbolFill::Outline},
    {"flag", "flag", SymbolFill::Outline},
    {"tag", "tag", SymbolFill::Outline},
    {"folder", "folder", SymbolFill::Outline},
    {"square.stack", "square-stack", SymbolFill::Outline},

    // Cue stages and calendar entries.
    {"circle.dashed", "circle-dashed", SymbolFill::Outline},
    {"pencil", "pencil", SymbolFill::Outline},
    {"arrow.triangle.2.circlepath", "refresh-cw", SymbolFill::Outline},
    {"slider.vertical.3", "sliders-vertical", SymbolFill::Outline},
    {"checkmark", "check", SymbolFill::Outline},
    {"flag.fill", "flag", SymbolFill::Solid},

    // Sidebar, shelf and windows.
    {"circle.lefthalf.filled", "contrast", SymbolFill::Outline},
    {"checkmark.circle", "circle-check", SymbolFill::Outline},
    {"checkmark.circle.fill", "circle-check", SymbolFill::Knockout},
    {"checkmark.seal.fill", "badge-check", SymbolFill::Knockout},
    {"archivebox", "archive", SymbolFill::Outline},
    {"archivebox.fill", "archive", SymbolFill::Knockout},
    {"calendar", "calendar", SymbolFill::Outline},
    {"slider.horizontal.3", "sliders-horizontal", SymbolFill::Outline},
    {"gearshape", "settings", SymbolFill::Outline},
    {"paintpalette", "palette", SymbolFill::Outline},
    {"recordingtape", "cassette-tape", SymbolFill::Outline},
    {"list.bullet", "list", SymbolFill::Outline},
    {"macwindow", "app-window", SymbolFill::Outline},

    // Small controls.
    {"star.fill", "star", SymbolFill::Solid},
    {"plus", "plus", SymbolFill::Outline},
    {"minus", "minus", SymbolFill::Outline},
    {"minus.circle.fill", "circle-minus", SymbolFill::Knockout},
    {"xmark", "x", SymbolFill::Outline},
    {"pin", "pin", SymbolFill::Outline},
    {"pin.fill", "pin", SymbolFill::Solid},
    {"chevron.left", "chevron-left", SymbolFill::Outline},
    {"chevron.right", "chevron-right", SymbolFill::Outline},
    {"chevron.up", "chevron-up", SymbolFill::Outline},
    {"chevron.down", "chevron-down", SymbolFill::Outline},
    {"line.3.horizontal", "menu", SymbolFill::Outline},
    {"exclamationmark.triangle", "triangle-alert", SymbolFill::Outline},
    {"arrow.down.right.and.arrow.up.left", "minimize-2", SymbolFill::Outline},
    {"arrow.up.left.and.arrow.down.right", "maximize-2", SymbolFill::Outline},
};

const SymbolEntry fallbackEntry = {"", "circle-help", SymbolFill::Outline};

const QHash<QString, qsizetype>& index() {
    static const QHash<QString, qsizetype> built = [] {
        QHash<QString, qsizetype> result;
        for (qsizetype i = 0; i < table.size(); ++i)
            result.insert(QString::fromLatin1(table.at(i).symbol), i);
        return result;
    }();
    return built;
}

} // namespace

const SymbolEntry* find(const QString& symbol) {
    const auto it = index().constFind(symbol);
    return it == index().constEnd() ? nullptr : &table.at(*it);
}

const SymbolEntry& fallback() {
    return fallbackEntry;
}

const QList<SymbolEntry>& entries() {
    return table;
}

const QStringList& pickerSymbols() {
    static const QStringList names = {
        QStringLiteral("music.note"),
        QStringLiteral("music.note.list"),
        QStringLiteral("music.quarternote.3"),
        QStringLiteral("pianokeys"),
        QStringLiteral("guitars"),
        QStringLiteral("music.mic"),
        QStringLiteral("waveform"),
        QStringLiteral("waveform.path"),
        QStringLiteral("speaker.wave.2"),
        QStringLiteral("headphones"),
        QStringLiteral("hifispeaker"),
        QStringLiteral("metronome"),
        QStringLiteral("mic"),
        QStringLiteral("person.wave.2"),
        QStringLiteral("bubble.left"),
        QStringLiteral("text.bubble"),
        QStringLiteral("wind"),
        QStringLiteral("leaf"),
        QStringLiteral("cloud.rain"),
        QStringLiteral("snowflake"),
        QStringLiteral("sun.max"),
        QStringLiteral("moon.stars"),
        QStringLiteral("flame"),
        QStringLiteral("drop"),
        QStringLiteral("bolt"),
        QStringLiteral("sparkles"),
        QStringLiteral("bell"),
        QStringLiteral("hammer"),
        QStringLiteral("figure.walk"),
        QStringLiteral("pawprint"),
        QStringLiteral("bird"),
        QStringLiteral("car"),
        QStringLiteral("tram"),
        QStringLiteral("gamecontroller"),
        QStringLiteral("film"),
        QStringLiteral("tv"),
        QStringLiteral("star"),
        QStringLiteral("heart"),
        QStringLiteral("flag"),
        QStringLiteral("tag"),
        QStringLiteral("folder"),
        QStringLiteral("square.stack"),
    };
    return names;
}

} // namespace sorvel::SymbolTable

#pragma once

#include "SampleLibrary.h"

#include "core/RecordCoding.h"

#include <QByteArray>

#include <charconv>
#include <cstdio>

namespace sorvel::bench {

// A data file as a Python script writes it with json.dump(library, file,
// indent=1): members in the records' own order rather than sorted, one space
// of indent per level, ASCII only, and every float with a fraction (0.0 for
// zero). Other programs write the file this way; the benchmarks and the tests
// of decoding read it without Python.
class PythonStyleFile {
public:
    static QByteArray of(const Library& library) {
        PythonStyleFile file;
        file.object(0, [&](Members& top) {
            top.add("version", [&] { file.whole(2); });
            top.add("projects", [&] { file.array(1, library.projects, &PythonStyleFile::project); });
            top.add("types", [&] { file.array(1, library.types, &PythonStyleFile::type); });
        });
        return file.m_text;
    }

private:
    // The members of one object, each on its own line.
    class Members {
    public:
        Members(PythonStyleFile& file, int depth) : m_file(file), m_depth(depth) {}
        template <typename Write>
        void add(const char* key, Write write) {
            m_file.m_text += m_count++ == 0 ? "\n" : ",\n";
            m_file.indent(m_depth + 1);
            m_file.text(QString::fromLatin1(key));
            m_file.m_text += ": ";
            write();
        }
        void addText(const char* key, const QString& value) {
            add(key, [&] { m_file.text(value); });
        }
        void addDate(const char* key, const std::optional<QDateTime>& value) {
            if (value)
                add(key, [&] { m_file.date(*value); });
        }
        void addFraction(const char* key, double value) {
            add(key, [&] { m_file.fraction(value); });
        }
        // At the end, whatever member each followed.
        void addUnknown(const UnknownMembers& unknown) {
            for (const UnknownMemberText member : unknown)
                add(member.key.toByteArray().constData(), [&] { m_file.m_text += member.json; });
        }
        int count() const { return m_count; }

    private:
        PythonStyleFile& m_file;
        int m_depth;
        int m_count = 0;
    };

    template <typename Fill>
    void object(int depth, Fill fill) {
        m_text += '{';
        Members members(*this, depth);
        fill(members);
        if (members.count() > 0) {
            m_text += '\n';
            indent(depth);
        }
        m_text += '}';
    }

    template <typename Record>
    void array(int depth, const QList<Record>& records, void (PythonStyleFile::*write)(int, const Record&)) {
        m_text += '[';
        for (qsizetype i = 0; i < records.size(); ++i) {
            m_text += i == 0 ? "\n" : ",\n";
            indent(depth + 1);
            (this->*write)(depth + 1, records.at(i));
        }
        if (!records.isEmpty()) {
            m_text += '\n';
            indent(depth);
        }
        m_text += ']';
    }

    void indent(int depth) { m_text.append(depth, ' '); }

    // ensure_ascii: everything past ASCII, and control characters, as \u escapes.
    void text(const QString& value) {
        m_text += '"';
        for (const QChar c : value) {
            if (c == u'"' || c == u'\\') {
                m_text += '\\';
                m_text += char(c.unicode());
            } else if (c.unicode() >= 0x20 && c.unicode() < 0x7f) {
                m_text += char(c.unicode());
            } else {
                char escape[8];
                std::snprintf(escape, sizeof escape, "\\u%04x", unsigned(c.unicode()));
                m_text += escape;
            }
        }
        m_text += '"';
    }

    // Python's isoformat() of a UTC date.
    void date(const QDateTime& value) { text(value.toUTC().toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss+00:00"))); }

    void whole(qint64 value) { m_text += QByteArray::number(value); }

    // Python's repr of a float: the shortest text that reads back the same,
    // with ".0" after a whole number.
    void fraction(double value) {
        char digits[32];
        const auto [end, error] = std::to_chars(digits, digits + sizeof digits, value);
        const QByteArray written(digits, end - digits);
        m_text += written;
        if (!written.contains('.') && !written.contains('e'))
            m_text += ".0";
    }

    void truth(bool value) { m_text += value ? "true" : "false"; }

    void type(int depth, const ProjectType& type) {
        object(depth, [&](Members& members) {
            members.addText("id", RecordCoding::idText(type.id));
            members.addText("title", type.title);
            members.addText("symbol", type.symbol);
            members.addText("colorHex", type.colorHex);
        });
    }

    void version(int depth, const CueVersion& version) {
        object(depth, [&](Members& members) {
            members.addText("id", RecordCoding::idText(version.id));
            members.add("number", [&] { whole(version.number); });
            members.addDate("date", version.date);
            members.addText("note", version.note);
        });
    }

    void cue(int depth, const Cue& cue) {
        object(depth, [&](Members& members) {
            members.addText("id", RecordCoding::idText(cue.id));
            members.addText("number", cue.number);
            members.addText("title", cue.title);
            members.addText("stage", storedText(cue.stage));
            if (cue.duration)
                members.add("duration", [&] { whole(*cue.duration); });
            members.addDate("startDate", cue.startDate);
            members.addDate("mixedAt", cue.mixedAt);
            members.addDate("deliveredAt", cue.deliveredAt);
            members.add("versions", [&] { array(depth + 1, cue.versions, &PythonStyleFile::version); });
            members.addUnknown(cue.unknown);
        });
    }

    void logEntry(int depth, const LogEntry& entry) {
        object(depth, [&](Members& members) {
            members.addText("id", RecordCoding::idText(entry.id));
            members.addDate("date", entry.date);
            members.addText("text", entry.text);
            members.addFraction("progress", entry.progress);
        });
    }

    void project(int depth, const AudioProject& project) {
        object(depth, [&](Members& members) {
            members.addText("id", RecordCoding::idText(project.id));
            members.addText("name", project.name);
            members.addText("typeID", RecordCoding::idText(project.typeID));
            members.addText("status", storedText(project.status));
            members.addDate("createdAt", project.createdAt);
            members.addDate("updatedAt", project.updatedAt);
            members.addDate("deadline", project.deadline);
            if (project.folderPath)
                members.addText("folderPath", *project.folderPath);
            members.addText("notes", project.notes);
            members.add("items", [&] { array(depth + 1, project.items, &PythonStyleFile::cue); });
            members.add("log", [&] { array(depth + 1, project.log, &PythonStyleFile::logEntry); });
            members.addText("progressMode", storedText(project.progressMode));
            members.addFraction("manualProgress", project.manualProgress);
            members.add("isFocused", [&] { truth(project.isFocused); });
            members.addDate("completedAt", project.completedAt);
            members.addDate("archivedAt", project.archivedAt);
            members.addUnknown(project.unknown);
        });
    }

    QByteArray m_text;
};

// The benchmarks' library with the fractions a script would have: manual
// progress and log progress in tenths from 0.0 to 0.9.
inline Library pythonStyleLibrary(int projectCount) {
    Library library = sampleLibrary(projectCount, 30, 10);
    for (qsizetype p = 0; p < library.projects.size(); ++p) {
        AudioProject& project = library.projects[p];
        project.manualProgress = double(p % 10) / 10;
        for (qsizetype l = 0; l < project.log.size(); ++l)
            project.log[l].progress = double(l % 10) / 10;
    }
    return library;
}

// The same with a member no record reads in every project, as a newer
// version writes: a colour label.
inline Library withANewMemberEach(Library library) {
    for (AudioProject& project : library.projects)
        project.unknown = {{QStringLiteral("colorLabel"), QByteArrayLiteral("\"teal\""), QByteArrayLiteral("name")}};
    return library;
}

// The same with a member in every cue, a date, as a newer version adding a
// field to cues writes: `key` names it.
inline Library withAMemberInEveryCue(Library library, const char* key) {
    for (AudioProject& project : library.projects) {
        for (Cue& cue : project.items) {
            const QByteArray date = '"' + cue.startDate->addDays(2).toString(Qt::ISODate).toLatin1() + '"';
            cue.unknown = {{QString::fromLatin1(key), date, QByteArrayLiteral("versions")}};
        }
    }
    return library;
}

} // namespace sorvel::bench

#pragma once

#include <QByteArray>
#include <QList>

#include <gtest/gtest.h>

namespace sorvel::test {

// A file as another program writes it, its members in the records' own order,
// with members no record reads at every level: first, between and last in
// their objects, values in forms a writer of its own would not choose.
inline const QByteArray fileWithUnknownMembers = R"({
 "userComment": "kept by hand \u00e9",
 "version": 2,
 "projects": [
  {
   "id": "6F9619FF-8B86-D011-B42D-00C04FC964FF",
   "name": "Film",
   "colorLabel": "te\u0061l",
   "typeID": "00000000-0000-0000-0000-000000000009",
   "createdAt": "2024-01-01T00:00:00+00:00",
   "updatedAt": "2024-01-02T00:00:00+00:00",
   "notes": "",
   "items": [
    {
     "id": "11111111-2222-3333-4444-555555555555",
     "number": "1M01",
     "title": "Opening",
     "stage": "composing",
     "tempo": 120.50,
     "versions": [
      {"id": "21111111-2222-3333-4444-555555555555", "number": 2, "date": "2024-01-03T00:00:00Z", "note": "", "take": 3e2}
     ]
    }
   ],
   "log": [
    {"mood": {"calm" :  [1, 2.0, null]}, "id": "31111111-2222-3333-4444-555555555555", "date": "2024-01-04T00:00:00Z", "text": "t", "progress": 0.0}
   ],
   "manualProgress": 0.0,
   "isFocused": false,
   "rating": -0
  }
 ],
 "types": [
  {"id": "00000000-0000-0000-0000-000000000009", "title": "Score", "symbol": "music.note", "colorHex": "FF2D55", "hidden": false}
 ],
 "userComment": "a second note with the same key"
})";

// Each member no record reads, as it must appear in a written file.
inline const QList<QByteArray> unknownMembers = {
    R"("userComment": "kept by hand \u00e9")",
    R"("colorLabel": "te\u0061l")",
    R"("tempo": 120.50)",
    R"("take": 3e2)",
    R"("mood": {"calm" :  [1, 2.0, null]})",
    R"("rating": -0)",
    R"("hidden": false)",
    R"("userComment": "a second note with the same key")",
};

// Every member no record reads is in `text` once, in its own words.
inline void expectEveryUnknownMemberIn(const QByteArray& text) {
    for (const QByteArray& member : unknownMembers)
        EXPECT_EQ(text.count(member), 1) << member.toStdString() << "\nin\n" << text.toStdString();
}

} // namespace sorvel::test

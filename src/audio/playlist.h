#pragma once
// TPlaylist: the entries the audio object has been given, in order, with the PLS and
// M3U list-file readers that add to it.
#include <QString>
#include <QStringList>

namespace varendo {

class TPlaylist {
public:
    // The most entries one list file adds: a PLS file claiming more is taken to hold this
    // many, and an M3U file is read no further than its last entry within them.
    static constexpr int MaxEntries = 100000;

    // Appends the entries of a PLS file ("[playlist]" with NumberOfEntries, FileN, TitleN,
    // LengthN). A missing file reads as an empty list; false when the file cannot be read.
    bool LoadPLS(const QString& name, bool clear);
    // Appends the entries of an M3U file; "#EXTINF:…,title" lines give titles and blank
    // lines are passed over. False (nothing added) when the file cannot be read.
    bool LoadM3U(const QString& name, bool clear);
    void Add(const QString& path, const QString& title);
    int Count() const { return int(Files.size()); }
    QString Items(int index) const { return Files.value(index); }
    // The entry made absolute against the folder of ListFile.
    QString ResolvePath(const QString& entry) const;

    QStringList Files;
    QStringList Titles;
    QStringList Lengths;
    QString ListFile;

private:
    void begin(const QString& name, bool clear);
};

} // namespace varendo

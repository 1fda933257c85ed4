#include "audio/audio_object.h"

#include "audio/audio_text.h"

namespace varendo {

TAudioObject::TAudioObject(AudioLibrary& library, QObject* windowHandle)
    : TAudioEngine(library, windowHandle)
{
}

void TAudioObject::AddPlaylistFile(const QString& name, bool clear)
{
    const QString extension = audio_text::fileExtension(name);
    if (extension.compare(QLatin1String(".pls"), Qt::CaseInsensitive) == 0)
        Playlist.LoadPLS(name, clear);
    else if (extension.compare(QLatin1String(".m3u"), Qt::CaseInsensitive) == 0)
        Playlist.LoadM3U(name, clear);
}

void TAudioObject::LoadAndPlay(const QStringList& names)
{
    // Point just before the first new entry, so PlayNext starts it.
    CurrentIndex = Playlist.Count() - 1;
    for (const QString& name : names) {
        if (IsSupportedFile(name))
            Playlist.Add(name, GetTitle(name));
        else
            AddPlaylistFile(name, false);
    }
    PlayNext();
}

void TAudioObject::PlayNext()
{
    if (Playlist.Count() == 0)
        return;
    ++CurrentIndex;
    if (CurrentIndex >= Playlist.Count())
        CurrentIndex = 0;
    Play(Playlist.Items(CurrentIndex));
}

QString TAudioObject::GetFilter() const
{
    return TAudioEngine::GetFilter() + QLatin1String("|Playlist (pls/m3u)|*.pls;*.m3u");
}

} // namespace varendo

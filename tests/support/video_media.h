#pragma once
// Media files the playback tests play, made on this machine the first time a
// test asks for them and kept in the build folder for the next test programs.
#include <QColor>
#include <QString>

namespace varendo::test {

// The colour every generated picture is filled with (solid, so lossy codecs
// keep it close) and the size of those pictures.
QColor testPictureColour();
inline constexpr int kTestPictureWidth = 320;
inline constexpr int kTestPictureHeight = 240;

// Each returns the file's path, or an empty string when it could not be made
// (lastMediaError() says why).
// JPEG pictures and PCM sound in AVI, `seconds` long.
QString aviFile(int seconds);
// Windows Media video and audio in ASF, made by ffmpeg.
QString wmvFile(int seconds);
// RealVideo and AC-3 sound in RealMedia, made by ffmpeg.
QString realMediaFile(int seconds);
// H.264 and AAC in MP4.
QString mp4File(int seconds);
// H.264 in MP4 at the given size, with colour bars scrolling sideways (for the benchmark and the demo).
QString h264File(int width, int height, int seconds);
// Bytes that are no media at all, and the first half of the AVI.
QString corruptFile();
QString truncatedAviFile();

// Folder the files are kept in.
QString testMediaDir();
QString lastMediaError();

} // namespace varendo::test

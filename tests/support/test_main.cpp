// Test entry point shared by every test program: widgets need a QApplication,
// and tests must run without a display, so the offscreen platform is the default.
//
// Under the test sound server every test program plays into a null sink of its
// own (and records from that sink's monitor): what a test hears is its own sound,
// never that of a test program running beside it.
#include <QApplication>
#include <gmock/gmock.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace {

int privateSinkModule = -1;

std::string run(const std::string& command)
{
    std::string out;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char buffer[128];
        while (std::fgets(buffer, sizeof buffer, pipe))
            out += buffer;
        pclose(pipe);
    }
    return out;
}

void unloadPrivateSink()
{
    if (privateSinkModule >= 0)
        run("pactl unload-module " + std::to_string(privateSinkModule) + " 2>/dev/null");
}

void usePrivateSink()
{
    if (!std::getenv("PULSE_SERVER") || std::getenv("PULSE_SINK"))
        return;
    const std::string name = "varendo_test_" + std::to_string(getpid());
    const std::string index =
        run("pactl load-module module-null-sink sink_name=" + name + " rate=44100 2>/dev/null");
    if (index.empty() || index[0] < '0' || index[0] > '9')
        return; // the shared sink, then
    privateSinkModule = std::atoi(index.c_str());
    std::atexit(unloadPrivateSink);
    setenv("PULSE_SINK", name.c_str(), 1);
    setenv("PULSE_SOURCE", (name + ".monitor").c_str(), 1);
}

} // namespace

int main(int argc, char** argv)
{
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    usePrivateSink();
    ::testing::InitGoogleMock(&argc, argv);
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}

// rurizuda-icons OUTDIR SIZE...: writes the application's icon as
// OUTDIR/<SIZE>x<SIZE>/apps/rurizuda.png for each size, the layout of an icon
// theme. A build step of the package; it needs no display.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include <QGuiApplication>
#include <QImage>

#include "app/AppIcon.h"

namespace {

constexpr int kSmallestIcon = 8;
constexpr int kLargestIcon = 1024;
constexpr const char* kIconFileName = "rurizuda.png";

// A size in pixels, or 0 when `text` is not one.
int ParseSize(const std::string& text)
{
    if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos || text.size() > 4)
        return 0;
    const int size = std::stoi(text);
    return size >= kSmallestIcon && size <= kLargestIcon ? size : 0;
}

}  // namespace

int main(int argc, char* argv[])
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: rurizuda-icons OUTDIR SIZE...\n");
        return 2;
    }
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QGuiApplication app(argc, argv);
    const std::filesystem::path out(argv[1]);
    for (int i = 2; i < argc; ++i) {
        const int size = ParseSize(argv[i]);
        if (!size) {
            std::fprintf(stderr, "rurizuda-icons: not an icon size: %s\n", argv[i]);
            return 2;
        }
        const std::string edge = std::to_string(size);
        const std::filesystem::path folder = out / (edge + "x" + edge) / "apps";
        std::error_code error;
        std::filesystem::create_directories(folder, error);
        const std::filesystem::path file = folder / kIconFileName;
        if (error || !DrawApplicationIcon(size).save(QString::fromStdString(file.string()), "PNG")) {
            std::fprintf(stderr, "rurizuda-icons: cannot write %s\n", file.c_str());
            return EXIT_FAILURE;
        }
    }
    return EXIT_SUCCESS;
}

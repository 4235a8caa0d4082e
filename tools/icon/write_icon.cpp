// Writes the program's icon (drawn by ProgramIcon) as a Windows .ico file
// for the Windows build's resources:
//   lorvane-icon OUT.ico
// Each size is stored as PNG bytes, which the .ico format allows.

#include <QBuffer>
#include <QFile>
#include <QGuiApplication>
#include <QIcon>
#include <QPixmap>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "ui/program_icon.h"

namespace {

void PutU16(QByteArray& out, uint16_t value) {
    out.append(static_cast<char>(value & 0xFF));
    out.append(static_cast<char>(value >> 8));
}

void PutU32(QByteArray& out, uint32_t value) {
    PutU16(out, static_cast<uint16_t>(value & 0xFFFF));
    PutU16(out, static_cast<uint16_t>(value >> 16));
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: lorvane-icon OUT.ico\n");
        return 2;
    }
    QGuiApplication application(argc, argv);
    const QIcon icon = lorvane::ProgramIcon();
    const std::vector<int> sizes = {16, 32, 48, 128};
    std::vector<QByteArray> images;
    for (int size : sizes) {
        QByteArray png;
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        if (!icon.pixmap(size, size).toImage().save(&buffer, "PNG")) return 1;
        images.push_back(png);
    }
    // The icon directory (6 bytes), one 16-byte entry per image, then the
    // images.
    QByteArray out;
    PutU16(out, 0);  // reserved
    PutU16(out, 1);  // an icon
    PutU16(out, static_cast<uint16_t>(sizes.size()));
    uint32_t offset = static_cast<uint32_t>(6 + 16 * sizes.size());
    for (size_t i = 0; i < sizes.size(); ++i) {
        out.append(static_cast<char>(sizes[i]));  // width, height (below 256)
        out.append(static_cast<char>(sizes[i]));
        out.append('\0');  // no palette
        out.append('\0');  // reserved
        PutU16(out, 1);    // planes
        PutU16(out, 32);   // bits per pixel
        PutU32(out, static_cast<uint32_t>(images[i].size()));
        PutU32(out, offset);
        offset += static_cast<uint32_t>(images[i].size());
    }
    for (const QByteArray& image : images) out.append(image);
    QFile file(QString::fromLocal8Bit(argv[1]));
    if (!file.open(QIODevice::WriteOnly) || file.write(out) != out.size()) return 1;
    return 0;
}

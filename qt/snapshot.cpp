#include "qt/snapshot.h"

#include <QBuffer>
#include <QImage>
#include <QPainter>

#include "io/files.h"
#include "platform/error.h"
#include "qt/painterrenderer.h"

namespace vezedo::qt {

void writeSnapshot(const platform::GraphicsModel& model, platform::Handle axes, const std::string& path)
{
    constexpr int kWidth = 800, kHeight = 600;
    QImage image(kWidth, kHeight, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    QPainter painter(&image);
    paintAxes(model, axes, painter, kWidth, kHeight);
    painter.end();
    // Encoded in memory and written like every other file, so a full disk keeps the old picture.
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "PNG"))
        throw Error("Cannot encode the snapshot " + path);
    io::writeFileAtomically(path, std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
}

}  // namespace vezedo::qt

#include "ui/pictures.h"

#include <QImage>
#include <QImageReader>

namespace varendo {

QPixmap loadPicture(const QString& name, const QSize& size)
{
    QImageReader reader(QStringLiteral(":/pictures/%1.svg").arg(name));
    if (size.isValid())
        reader.setScaledSize(size);
    const QImage image = reader.read();
    if (image.isNull())
        qWarning("picture %s not read: %s", qPrintable(name), qPrintable(reader.errorString()));
    return QPixmap::fromImage(image);
}

} // namespace varendo

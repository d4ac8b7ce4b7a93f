#include "skin/SkinArt.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QResource>
#include <QWidget>
#include <QtEndian>

#include <mutex>
#include <unordered_map>
#include <vector>

// The built-in art is compiled into a static library: registered on first use, from the global
// namespace as the resource system asks.
static void InitBuiltIn() {
    static const bool done = [] {
        Q_INIT_RESOURCE(jukora_skin);
        return true;
    }();
    Q_UNUSED(done);
}

namespace {
const QString kBundleRoot = QStringLiteral("/bundle");

struct BundleInUse {
    QByteArray data; // registered with the resource system while in use: it must outlive that
    SkinArt::Bundle state = SkinArt::Bundle::BuiltIn;
};

BundleInUse& Current() {
    static BundleInUse current;
    return current;
}

quint32 Read32(const QByteArray& data, qint64 at) {
    return qFromBigEndian<quint32>(data.constData() + at);
}
quint16 Read16(const QByteArray& data, qint64 at) {
    return qFromBigEndian<quint16>(data.constData() + at);
}

// Walks a resource file's tree as the resource system will, checking every read against the
// file's size. Directories list their children after themselves, so the walk ends.
class ResourceCheck {
public:
    explicit ResourceCheck(const QByteArray& data) : data_(data) {}

    bool Whole() {
        const qint64 size = data_.size();
        if (size < 20 || !data_.startsWith("qres"))
            return false;
        const quint32 version = Read32(data_, 4);
        if (version < 1 || version > 3 || (version >= 3 && size < 24))
            return false;
        tree_ = Read32(data_, 8);
        payloads_ = Read32(data_, 12);
        names_ = Read32(data_, 16);
        nodeSize_ = version >= 2 ? 22 : 14;
        if (tree_ >= size || payloads_ >= size || names_ >= size)
            return false;
        nodes_ = (size - tree_) / nodeSize_;
        if (nodes_ < 1)
            return false;
        std::vector<qint64> pending{0};
        qint64 visited = 0;
        while (!pending.empty()) {
            const qint64 node = pending.back();
            pending.pop_back();
            if (++visited > nodes_ || !CheckNode(node, pending))
                return false;
        }
        return true;
    }

private:
    bool Inside(qint64 at, qint64 length) const {
        return at >= 0 && length >= 0 && at + length <= data_.size();
    }

    bool CheckName(quint32 offset) const {
        const qint64 at = names_ + offset;
        if (!Inside(at, 6))
            return false;
        return Inside(at + 6, qint64(Read16(data_, at)) * 2);
    }

    bool CheckNode(qint64 node, std::vector<qint64>& pending) const {
        const qint64 at = tree_ + node * nodeSize_;
        if (!Inside(at, nodeSize_))
            return false;
        // The root's name is never read; every other node's is.
        if (node != 0 && !CheckName(Read32(data_, at)))
            return false;
        const quint16 flags = Read16(data_, at + 4);
        if (flags & 0x02) { // a directory: its children follow it in the tree
            const qint64 count = Read32(data_, at + 6);
            const qint64 first = Read32(data_, at + 10);
            if (count > 0 && (first <= node || first + count > nodes_))
                return false;
            for (qint64 child = first; child < first + count; ++child)
                pending.push_back(child);
            return true;
        }
        const qint64 payload = payloads_ + qint64(Read32(data_, at + 10));
        if (!Inside(payload, 4))
            return false;
        const qint64 length = Read32(data_, payload);
        if (!Inside(payload + 4, length))
            return false;
        // A compressed payload starts with its unpacked size (zlib) or a frame header (zstd).
        return !(flags & 0x01) || length >= 4;
    }

    const QByteArray& data_;
    qint64 tree_ = 0, payloads_ = 0, names_ = 0, nodeSize_ = 0, nodes_ = 0;
};

// Images decoded ahead of their first use, by name; each is taken once. `generation` counts the
// changes of bundle, so that a decoding begun before one is not stored after it.
struct Decoded {
    std::mutex lock;
    std::unordered_map<QString, QImage> images;
    quint64 generation = 0;
};

Decoded& Ahead() {
    static Decoded ahead;
    return ahead;
}

void DropBundle() {
    SkinArt::DropDecodedAhead();
    BundleInUse& current = Current();
    if (current.state == SkinArt::Bundle::InUse)
        QResource::unregisterResource(reinterpret_cast<const uchar*>(current.data.constData()),
                                      kBundleRoot);
    current.data.clear();
    current.state = SkinArt::Bundle::BuiltIn;
}

QPixmap Load(const QString& path) {
    QPixmap image;
    image.load(path, "PNG");
    return image;
}

// Where the image file `file` is looked for: the bundle first when one is in use, then the art
// built in.
QStringList Places(const QString& file) {
    QStringList places;
    if (Current().state == SkinArt::Bundle::InUse)
        places << QStringLiteral(":") + kBundleRoot + QStringLiteral("/skin/") + file;
    places << QStringLiteral(":/skin/") + file;
    return places;
}

QPixmap TakeDecoded(const QString& name) {
    Decoded& ahead = Ahead();
    const std::lock_guard<std::mutex> hold(ahead.lock);
    const auto it = ahead.images.find(name);
    if (it == ahead.images.end())
        return {};
    QImage image = std::move(it->second);
    ahead.images.erase(it);
    return QPixmap::fromImage(std::move(image), Qt::NoFormatConversion);
}
} // namespace

namespace SkinArt {

QString SystemBundlePath() {
    return QDir::homePath() + QStringLiteral("/.local/lib/KorvexX2.OCX");
}

bool IsWholeResourceFile(const QByteArray& data) {
    return ResourceCheck(data).Whole();
}

Bundle UseBundle(const QString& path) {
    InitBuiltIn();
    DropBundle();
    if (path.isEmpty() || !QFile::exists(path))
        return Bundle::BuiltIn;
    QFile file(path);
    BundleInUse& current = Current();
    if (!file.open(QIODevice::ReadOnly)) {
        current.state = Bundle::Unreadable;
        return current.state;
    }
    current.data = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        current.data.clear();
        current.state = Bundle::Unreadable;
        return current.state;
    }
    if (!IsWholeResourceFile(current.data) ||
        !QResource::registerResource(reinterpret_cast<const uchar*>(current.data.constData()),
                                     kBundleRoot)) {
        current.data.clear();
        current.state = Bundle::Damaged;
        return current.state;
    }
    current.state = Bundle::InUse;
    return current.state;
}

Bundle CurrentBundle() {
    return Current().state;
}

QPixmap Image(const QString& name, qreal scale) {
    InitBuiltIn();
    const bool large = scale > 1.0;
    const QString file = name + (large ? QStringLiteral("@2x.png") : QStringLiteral(".png"));
    QPixmap image = large ? QPixmap() : TakeDecoded(name);
    const QStringList places = Places(file);
    for (auto place = places.begin(); image.isNull() && place != places.end(); ++place)
        image = Load(*place);
    if (!image.isNull() && large)
        image.setDevicePixelRatio(2.0);
    return image;
}

void DecodeAhead(const QString& window, const std::atomic<bool>& stop) {
    InitBuiltIn();
    Decoded& ahead = Ahead();
    quint64 generation;
    {
        const std::lock_guard<std::mutex> hold(ahead.lock);
        generation = ahead.generation;
    }
    const QStringList files =
        QDir(QStringLiteral(":/skin/") + window).entryList({QStringLiteral("*.png")}, QDir::Files);
    for (const QString& file : files) {
        // A highlighted image shows only under the mouse, later.
        if (stop.load() || file.endsWith(QLatin1String("@2x.png")) ||
            file.endsWith(QLatin1String("Over.png")))
            continue;
        QImage image;
        for (const QString& place : Places(window + QLatin1Char('/') + file))
            if (image.load(place, "PNG"))
                break;
        if (image.isNull())
            continue;
        // The form the window system's pixmaps keep, so that taking the image copies nothing.
        image.convertTo(image.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied
                                                : QImage::Format_RGB32);
        const std::lock_guard<std::mutex> hold(ahead.lock);
        if (ahead.generation != generation)
            return;
        ahead.images.emplace(window + QLatin1Char('/') + file.chopped(4), std::move(image));
    }
}

int DecodedAheadCount() {
    Decoded& ahead = Ahead();
    const std::lock_guard<std::mutex> hold(ahead.lock);
    return static_cast<int>(ahead.images.size());
}

void DropDecodedAhead() {
    Decoded& ahead = Ahead();
    const std::lock_guard<std::mutex> hold(ahead.lock);
    ahead.images.clear();
    ++ahead.generation;
}

QPixmap ImageFor(const QWidget* widget) {
    return Image(widget->window()->objectName() + QLatin1Char('/') + widget->objectName(),
                 widget->devicePixelRatioF());
}

} // namespace SkinArt

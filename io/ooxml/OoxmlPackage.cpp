#include "io/ooxml/OoxmlPackage.h"

#include "io/FileAccess.h"

#include <QFileInfo>

#include <pugixml.hpp>
#include <zip.h>

#include <memory>
#include <sstream>

namespace quorvil {

namespace {
constexpr qsizetype LargePartBytes = 4 << 20;
}

namespace {

QString shortName(const QString &path) { return QFileInfo(path).fileName(); }

[[noreturn]] void broken(const QString &name, const QString &why)
{
    throw PackageError(QStringLiteral("模板文件“%1”%2").arg(name, why).toStdString());
}

struct ArchiveCloser {
    void operator()(zip_t *z) const
    {
        if (z)
            zip_discard(z);
    }
};

} // namespace

OoxmlPackage OoxmlPackage::load(const QString &path)
{
    QByteArray bytes;
    try {
        bytes = ReadWholeFile(path);
    } catch (const FileAccessError &e) {
        if (e.step() == FileAccessError::Step::Missing)
            broken(shortName(path), QStringLiteral("不存在，请检查程序目录。"));
        broken(shortName(path), QStringLiteral("无法读取。"));
    }
    return fromBytes(bytes, shortName(path));
}

OoxmlPackage OoxmlPackage::fromBytes(const QByteArray &bytes, const QString &name)
{
    OoxmlPackage pkg;
    pkg.name_ = name;
    zip_error_t error;
    zip_error_init(&error);
    // The source does not own the buffer; `bytes` outlives the archive below.
    zip_source_t *source = zip_source_buffer_create(bytes.constData(), zip_uint64_t(bytes.size()), 0, &error);
    if (!source)
        broken(name, QStringLiteral("无法读取。"));
    std::unique_ptr<zip_t, ArchiveCloser> archive(zip_open_from_source(source, ZIP_RDONLY | ZIP_CHECKCONS, &error));
    zip_error_fini(&error);
    if (!archive) {
        zip_source_free(source);
        broken(name, QStringLiteral("已损坏或不是Office文档。"));
    }
    const zip_int64_t count = zip_get_num_entries(archive.get(), 0);
    for (zip_int64_t i = 0; i < count; ++i) {
        zip_stat_t st;
        if (zip_stat_index(archive.get(), zip_uint64_t(i), 0, &st) != 0 || !(st.valid & ZIP_STAT_NAME))
            broken(name, QStringLiteral("已损坏或不是Office文档。"));
        const std::string partName = st.name;
        if (!partName.empty() && partName.back() == '/')
            continue; // folder entry
        // Parts of an Office document are small; refuse absurd sizes rather than allocate them.
        if (!(st.valid & ZIP_STAT_SIZE) || st.size > (zip_uint64_t(1) << 30))
            broken(name, QStringLiteral("已损坏或不是Office文档。"));
        QByteArray data(qsizetype(st.size), Qt::Uninitialized);
        zip_file_t *f = zip_fopen_index(archive.get(), zip_uint64_t(i), 0);
        if (!f)
            broken(name, QStringLiteral("已损坏或不是Office文档。"));
        const zip_int64_t got = data.isEmpty() ? 0 : zip_fread(f, data.data(), st.size);
        zip_fclose(f);
        if (got < 0 || zip_uint64_t(got) != st.size)
            broken(name, QStringLiteral("已损坏或不是Office文档。"));
        if (!pkg.parts_.count(partName))
            pkg.order_.push_back(partName);
        pkg.parts_[partName] = std::move(data);
    }
    if (!pkg.has("[Content_Types].xml"))
        broken(name, QStringLiteral("已损坏或不是Office文档。"));
    return pkg;
}

const QByteArray &OoxmlPackage::part(const std::string &part) const
{
    auto it = parts_.find(part);
    if (it == parts_.end())
        broken(name_, QStringLiteral("缺少部件 %1，已损坏或不是所需的Office文档。").arg(QString::fromStdString(part)));
    return it->second;
}

void OoxmlPackage::setPart(const std::string &part, QByteArray bytes)
{
    if (!parts_.count(part))
        order_.push_back(part);
    parts_[part] = std::move(bytes);
}

void OoxmlPackage::removePart(const std::string &part)
{
    parts_.erase(part);
    std::erase(order_, part);
}

void OoxmlPackage::parse(const std::string &partName, pugi::xml_document &doc) const
{
    const QByteArray &bytes = part(partName);
    const pugi::xml_parse_result r =
        doc.load_buffer(bytes.constData(), size_t(bytes.size()), pugi::parse_default | pugi::parse_ws_pcdata_single,
                        pugi::encoding_utf8);
    if (!r)
        broken(name_, QStringLiteral("的部件 %1 不是有效的XML（%2）。")
                          .arg(QString::fromStdString(partName), QString::fromUtf8(r.description())));
}

void OoxmlPackage::store(const std::string &partName, const pugi::xml_document &doc)
{
    std::ostringstream out;
    doc.save(out, "", pugi::format_raw, pugi::encoding_utf8);
    const std::string s = out.str();
    setPart(partName, QByteArray(s.data(), qsizetype(s.size())));
}

QByteArray OoxmlPackage::toBytes() const
{
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t *buffer = zip_source_buffer_create(nullptr, 0, 0, &error);
    if (!buffer)
        throw FileError("Out of memory");
    zip_source_keep(buffer); // read the result back after the archive is closed
    zip_t *archive = zip_open_from_source(buffer, ZIP_TRUNCATE, &error);
    if (!archive) {
        zip_source_free(buffer);
        throw FileError("Out of memory");
    }
    bool ok = true;
    for (const std::string &partName : order_) {
        const QByteArray &data = parts_.at(partName);
        zip_source_t *src = zip_source_buffer(archive, data.constData(), zip_uint64_t(data.size()), 0);
        if (!src) {
            ok = false;
            break;
        }
        const zip_int64_t index = zip_file_add(archive, partName.c_str(), src, ZIP_FL_ENC_UTF_8 | ZIP_FL_OVERWRITE);
        if (index < 0) {
            zip_source_free(src);
            ok = false;
            break;
        }
        // The content types part is conventionally stored first and uncompressed small parts are
        // fine either way; deflate everything for size. A part of several megabytes (the tables of
        // a large report) is deflated at the fastest level: its markup repeats so much that the
        // file grows only a little, and the report is written in a fraction of the time.
        const zip_uint32_t level = data.size() > LargePartBytes ? 1 : zip_uint32_t(level_);
        zip_set_file_compression(archive, zip_uint64_t(index), ZIP_CM_DEFLATE, level);
    }
    if (!ok || zip_close(archive) != 0) {
        if (!ok)
            zip_discard(archive);
        zip_source_free(buffer);
        throw FileError("Out of memory");
    }
    QByteArray out;
    if (zip_source_open(buffer) == 0) {
        zip_stat_t st;
        zip_stat_init(&st);
        if (zip_source_stat(buffer, &st) == 0 && (st.valid & ZIP_STAT_SIZE)) {
            out.resize(qsizetype(st.size));
            const zip_int64_t got = zip_source_read(buffer, out.data(), st.size);
            if (got < 0 || zip_uint64_t(got) != st.size)
                out.clear();
        }
        zip_source_close(buffer);
    }
    zip_source_free(buffer);
    if (out.isEmpty())
        throw FileError("Out of memory");
    return out;
}

void OoxmlPackage::save(const QString &path) const
{
    const QByteArray bytes = toBytes();
    try {
        WriteFileAtomically(path, bytes);
    } catch (const FileAccessError &e) {
        if (e.step() == FileAccessError::Step::Write)
            throw FileError::DiskFull();
        throw FileError::Io(e.deviceError());
    }
}

} // namespace quorvil

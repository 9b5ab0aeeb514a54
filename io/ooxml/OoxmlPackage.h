// An Office Open XML package (.docx, .xlsx, .xltx): a zip archive of XML parts. The whole
// package is read into memory, parts are read and replaced by name, and the package is written
// back as a new zip atomically (io/FileAccess.h), so a write that fails leaves an existing file whole.
// The report and workbook writers share this; they parse parts with pugixml.
#pragma once

#include "io/FileErrors.h"

#include <QByteArray>
#include <QString>

#include <map>
#include <string>
#include <vector>

namespace pugi {
class xml_document;
}

namespace quorvil {

// A template that is missing, unreadable or not a valid package. what() is the Chinese message.
class PackageError : public Error {
public:
    using Error::Error;
};

class OoxmlPackage {
public:
    // Reads the package at `path`. Throws PackageError naming the file when it is missing,
    // unreadable or not a zip archive.
    static OoxmlPackage load(const QString &path);
    // The same from bytes in memory (`name` appears in messages).
    static OoxmlPackage fromBytes(const QByteArray &bytes, const QString &name);

    bool has(const std::string &part) const { return parts_.count(part) != 0; }
    // The part's bytes; throws PackageError when the package has no such part.
    const QByteArray &part(const std::string &part) const;
    void setPart(const std::string &part, QByteArray bytes);
    void removePart(const std::string &part);
    // Part names in archive order.
    std::vector<std::string> partNames() const { return order_; }

    // Parses a part into `doc` (whitespace kept); throws PackageError on malformed XML.
    void parse(const std::string &part, pugi::xml_document &doc) const;
    // Serialises `doc` (UTF-8, with declaration, no indentation) into the part.
    void store(const std::string &part, const pugi::xml_document &doc);

    // The package as zip bytes (deflated parts, archive order kept).
    QByteArray toBytes() const;
    // Deflate level of toBytes(), 1 (fastest) to 9 (smallest); 6 unless set.
    void setCompressionLevel(int level) { level_ = level; }
    // Writes the package to `path` atomically. Throws FileError ("Disk full", "I/O error n").
    void save(const QString &path) const;

    const QString &name() const { return name_; }

private:
    QString name_;
    std::vector<std::string> order_;
    std::map<std::string, QByteArray> parts_;
    int level_ = 6;
};

} // namespace quorvil

#include "OutputEncoding.h"

#include <QStringDecoder>

#include <langinfo.h>
#include <unistd.h>

namespace quorvil::cli {

OutputEncoding LocaleEncoding()
{
    // Qt has set the locale from the environment (LC_ALL, LC_CTYPE, LANG).
    const QString codeset = QString::fromLatin1(nl_langinfo(CODESET)).toUpper().remove(u'-');
    return codeset == u"GB18030" || codeset == u"GBK" || codeset == u"GB2312" ? OutputEncoding::Gb18030
                                                                              : OutputEncoding::Utf8;
}

OutputEncoding OutputEncodingFor(const QString &path, const QString &chosen)
{
    if (chosen == QLatin1String(Utf8Name))
        return OutputEncoding::Utf8;
    if (chosen == QLatin1String(Gb18030Name))
        return OutputEncoding::Gb18030;
    if (path == u"-" && ::isatty(STDOUT_FILENO) == 1)
        return LocaleEncoding();
    return OutputEncoding::Gb18030;
}

const char *EncoderName(OutputEncoding encoding)
{
    return encoding == OutputEncoding::Utf8 ? "UTF-8" : "GB18030";
}

QByteArray Recoded(const QByteArray &gb18030, OutputEncoding encoding)
{
    if (encoding == OutputEncoding::Gb18030)
        return gb18030;
    QStringDecoder decoder("GB18030");
    return decoder.isValid() ? QString(decoder.decode(gb18030)).toUtf8() : gb18030;
}

} // namespace quorvil::cli

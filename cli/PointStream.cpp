#include "PointStream.h"

#include "Console.h"

#include "core/Error.h"
#include "core/FpGuard.h"
#include "io/FileAccess.h"

#include <QFile>
#include "io/FileErrors.h"
#include "io/TextCodec.h"

#include <QStringDecoder>
#include <QStringEncoder>

#include <algorithm>
#include <cfenv>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <fcntl.h>
#include <memory>
#include <mutex>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace quorvil::cli {

namespace {

// Input is cut into blocks of about this many bytes (whole lines); a few blocks per worker are in
// flight at a time, which bounds the memory whatever the size of the file.
constexpr size_t BlockBytes = size_t(1) << 20;
constexpr size_t BlocksInFlightPerWorker = 3;
constexpr size_t ReadPiece = size_t(1) << 18;

const char Utf8Bom[] = "\xEF\xBB\xBF";

enum class Encoding { Undecided, Utf8, Gb18030 };

bool IsAscii(std::string_view text)
{
    for (char c : text)
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    return true;
}

FileError ErrnoError(int code)
{
    if (code == ENOENT)
        return FileError::NotFound();
    if (code == ENOSPC)
        return FileError::DiskFull();
    return FileError::Io(code ? code : EIO);
}

// The input file or standard input, read through its descriptor.
class Input {
public:
    explicit Input(const QString &path)
    {
        if (path == QStringLiteral("-")) {
            m_fd = STDIN_FILENO;
        } else {
            m_fd = ::open(path.toLocal8Bit().constData(), O_RDONLY | O_CLOEXEC);
            if (m_fd < 0)
                throw ErrnoError(errno);
            m_owned = true;
        }
        struct stat st {};
        if (::fstat(m_fd, &st) == 0 && S_ISREG(st.st_mode)) {
            m_regular = true;
            m_size = st.st_size;
        }
    }
    ~Input()
    {
        if (m_owned)
            ::close(m_fd);
    }
    Input(const Input &) = delete;
    Input &operator=(const Input &) = delete;

    bool regular() const { return m_regular; }
    long long size() const { return m_size; }

    // Appends up to `count` bytes to `buffer`; false at the end of the input.
    bool readInto(std::string &buffer, size_t count)
    {
        const size_t start = buffer.size();
        buffer.resize(start + count);
        for (;;) {
            const ssize_t got = ::read(m_fd, buffer.data() + start, count);
            if (got < 0 && errno == EINTR)
                continue;
            if (got < 0) {
                buffer.resize(start);
                throw ErrnoError(errno);
            }
            buffer.resize(start + static_cast<size_t>(got));
            return got > 0;
        }
    }

    // Whether a regular file is UTF-8 throughout (after a byte-order mark), read once ahead of
    // the conversion: the file's encoding is chosen for the whole file, as on import.
    Encoding scanEncoding() const
    {
        std::string piece;
        std::string carry;
        off_t offset = 0;
        for (;;) {
            piece.resize(BlockBytes);
            ssize_t got;
            do
                got = ::pread(m_fd, piece.data(), piece.size(), offset);
            while (got < 0 && errno == EINTR);
            if (got < 0)
                throw ErrnoError(errno);
            piece.resize(static_cast<size_t>(got));
            const bool end = got == 0;
            if (offset == 0 && piece.compare(0, 3, Utf8Bom) == 0)
                piece.erase(0, 3);
            offset += got;
            std::string text = carry + piece;
            // A piece is checked up to its last line end: no character is split there.
            size_t upTo = text.size();
            if (!end) {
                const size_t lastLineEnd = text.rfind('\n');
                upTo = lastLineEnd == std::string::npos ? 0 : lastLineEnd + 1;
            }
            if (!IsValidUtf8(text.data(), static_cast<qsizetype>(upTo)))
                return Encoding::Gb18030;
            carry = text.substr(upTo);
            if (end)
                return Encoding::Utf8;
        }
    }

private:
    int m_fd = -1;
    bool m_owned = false;
    bool m_regular = false;
    long long m_size = -1;
};

// Standard output or a file written through a temporary file that replaces the old one only when
// everything went well.
class Output {
public:
    explicit Output(const QString &path) : m_stdout(path == QStringLiteral("-"))
    {
        if (m_stdout)
            return;
        try {
            m_file = std::make_unique<AtomicFileWriter>(path);
        } catch (const FileAccessError &e) {
            throw ErrnoError(e.systemError() ? e.systemError() : ENOENT);
        }
    }

    void write(const QByteArray &bytes)
    {
        if (m_stdout) {
            const char *data = bytes.constData();
            qsizetype left = bytes.size();
            while (left > 0) {
                const ssize_t put = ::write(STDOUT_FILENO, data, static_cast<size_t>(left));
                if (put < 0 && errno == EINTR)
                    continue;
                if (put < 0)
                    throw ErrnoError(errno);
                data += put;
                left -= put;
            }
            return;
        }
        try {
            m_file->write(bytes);
        } catch (const FileAccessError &e) {
            throw ErrnoError(e.systemError());
        }
    }

    void commit()
    {
        if (!m_file)
            return;
        try {
            m_file->commit();
        } catch (const FileAccessError &e) {
            throw ErrnoError(e.systemError());
        }
    }

    // Leaves no output file behind; an old file of that name stays as it was.
    void cancel()
    {
        if (m_file)
            m_file->cancel();
    }

private:
    bool m_stdout;
    std::unique_ptr<AtomicFileWriter> m_file;
};

struct BadLine {
    long long line;
    std::string message;
};

struct Block {
    std::string input;       // whole lines
    long long firstLine = 1; // number of its first line, from 1
    Encoding encoding = Encoding::Undecided;
    QByteArray output;
    std::vector<BadLine> bad;
    bool done = false;
};

// Converts the lines of one block. Runs on a worker thread.
class BlockConverter {
public:
    BlockConverter(const PointConversion &conversion, const StreamOptions &options)
        : m_conversion(conversion), m_options(options), m_missing(options.missingField.toStdString()),
          m_fields(static_cast<size_t>(conversion.inputFields())),
          m_out(static_cast<size_t>(conversion.resultColumns() - 1)), m_gbDecoder("GB18030"),
          m_encoder(EncoderName(options.outputEncoding))
    {
    }

    void convert(Block &block)
    {
        const char *p = block.input.data();
        const char *end = p + block.input.size();
        block.output.reserve(static_cast<qsizetype>(block.input.size() + block.input.size() / 4));
        long long line = block.firstLine;
        // One guard for the block; a row's fault stays in the flags until that row's check.
        FpGuard blockGuard;
        while (p < end) {
            const void *found = std::memchr(p, '\n', static_cast<size_t>(end - p));
            const char *lineEnd = found ? static_cast<const char *>(found) : end;
            const char *stop = lineEnd;
            if (stop > p && stop[-1] == '\r')
                --stop;
            try {
                convertLine(std::string_view(p, static_cast<size_t>(stop - p)), block);
            } catch (const Error &e) {
                block.bad.push_back({line, e.what()});
                if (!m_options.keepGoing)
                    return;
                // The next row starts with clear flags: its own faults are its own.
                std::feclearexcept(FE_ALL_EXCEPT);
            }
            ++line;
            p = lineEnd + 1;
        }
    }

private:
    void split(std::string_view line)
    {
        bool exhausted = false;
        for (std::string_view &field : m_fields) {
            if (exhausted) {
                field = m_missing;
                continue;
            }
            const size_t comma = line.find(',');
            if (comma != std::string_view::npos) {
                field = line.substr(0, comma);
                line.remove_prefix(comma + 1);
            } else {
                field = line;
                exhausted = true;
            }
        }
        if (m_options.swapFirstTwo)
            std::swap(m_fields[1], m_fields[2]);
    }

    QString decode(std::string_view bytes, Encoding encoding)
    {
        if (encoding == Encoding::Gb18030 && m_gbDecoder.isValid()) {
            m_gbDecoder.resetState();
            return m_gbDecoder.decode(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
        }
        return QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()));
    }

    void convertLine(std::string_view line, Block &block)
    {
        split(line);
        {
            bool ascii = true;
            for (size_t i = 1; i < m_fields.size(); ++i)
                ascii = ascii && IsAscii(m_fields[i]);
            if (ascii) {
                m_conversion.convert(m_fields, m_out);
            } else {
                // A number field with other characters: decoded, so that a message names it as
                // the user typed it.
                std::vector<std::string> texts(m_fields.size());
                std::vector<std::string_view> views(m_fields.size());
                for (size_t i = 1; i < m_fields.size(); ++i) {
                    texts[i] = decode(m_fields[i], block.encoding).toStdString();
                    views[i] = texts[i];
                }
                m_conversion.convert(views, m_out);
            }
        }
        QByteArray &out = block.output;
        const std::string_view name = m_fields[0];
        if (IsAscii(name))
            out.append(name.data(), static_cast<qsizetype>(name.size()));
        else
            AppendEncoded(out, decode(name, block.encoding), m_encoder);
        if (m_options.cassOutput) {
            // name, an empty code field, easting before northing, height
            out.append(",,");
            out.append(m_out[1].data(), static_cast<qsizetype>(m_out[1].size()));
            out.append(',');
            out.append(m_out[0].data(), static_cast<qsizetype>(m_out[0].size()));
            for (size_t i = 2; i < m_out.size(); ++i) {
                out.append(',');
                out.append(m_out[i].data(), static_cast<qsizetype>(m_out[i].size()));
            }
        } else {
            const int saved = m_conversion.savedColumns();
            for (int i = 0; i + 1 < saved; ++i) {
                out.append(',');
                const std::string &text = m_out[static_cast<size_t>(i)];
                if (IsAscii(text))
                    out.append(text.data(), static_cast<qsizetype>(text.size()));
                else // a note in words: UTF-8 from the conversion, the output's encoding in the file
                    AppendEncoded(out, QString::fromStdString(text), m_encoder);
            }
        }
        out.append("\r\n", 2);
    }

    const PointConversion &m_conversion;
    const StreamOptions &m_options;
    std::string m_missing;
    std::vector<std::string_view> m_fields;
    std::vector<std::string> m_out;
    QStringDecoder m_gbDecoder;
    QStringEncoder m_encoder;
};

// Worker threads taking blocks from a queue; the reader waits for the oldest block in flight.
class WorkerPool {
public:
    WorkerPool(int count, const PointConversion &conversion, const StreamOptions &options)
    {
        for (int i = 0; i < count; ++i)
            m_threads.emplace_back([this, &conversion, &options] { run(conversion, options); });
    }
    ~WorkerPool()
    {
        {
            const std::lock_guard lock(m_mutex);
            m_stopping = true;
            m_queue.clear();
        }
        m_work.notify_all();
        for (std::thread &t : m_threads)
            t.join();
    }

    void submit(Block *block)
    {
        {
            const std::lock_guard lock(m_mutex);
            m_queue.push_back(block);
        }
        m_work.notify_one();
    }

    void waitFor(const Block *block)
    {
        std::unique_lock lock(m_mutex);
        m_done.wait(lock, [block] { return block->done; });
    }

private:
    void run(const PointConversion &conversion, const StreamOptions &options)
    {
        BlockConverter converter(conversion, options);
        for (;;) {
            Block *block;
            {
                std::unique_lock lock(m_mutex);
                m_work.wait(lock, [this] { return m_stopping || !m_queue.empty(); });
                if (m_stopping)
                    return;
                block = m_queue.front();
                m_queue.pop_front();
            }
            converter.convert(*block);
            {
                const std::lock_guard lock(m_mutex);
                block->done = true;
            }
            m_done.notify_all();
        }
    }

    std::mutex m_mutex;
    std::condition_variable m_work, m_done;
    std::deque<Block *> m_queue;
    bool m_stopping = false;
    std::vector<std::thread> m_threads;
};

// "已处理 N 行" on standard error, when it is a terminal, for runs longer than a moment.
class Progress {
public:
    explicit Progress(long long totalBytes) : m_total(totalBytes), m_shown(::isatty(STDERR_FILENO) == 1) {}
    ~Progress()
    {
        if (m_printed)
            PrintError("\r\033[K");
    }

    void update(long long lines, long long bytes)
    {
        if (!m_shown)
            return;
        const auto now = Clock::now();
        if (now - m_start < std::chrono::seconds(1) || now - m_last < std::chrono::milliseconds(250))
            return;
        m_last = now;
        m_printed = true;
        std::string text = "\r已处理 " + std::to_string(lines) + " 行";
        if (m_total > 0)
            text += " (" + std::to_string(bytes * 100 / m_total) + "%)";
        PrintError(text + "\033[K");
    }

private:
    using Clock = std::chrono::steady_clock;
    long long m_total;
    bool m_shown;
    bool m_printed = false;
    Clock::time_point m_start = Clock::now();
    Clock::time_point m_last{};
};

long long CountLines(std::string_view text) { return std::count(text.begin(), text.end(), '\n'); }

} // namespace

QByteArray ReadInput(const QString &input)
{
    if (input != QStringLiteral("-")) {
        try {
            return ReadWholeFile(input);
        } catch (const FileAccessError &e) {
            throw Error(e.step() == FileAccessError::Step::Missing ? "文件不存在" : "无法读取文件");
        }
    }
    QFile file;
    if (!file.open(stdin, QIODevice::ReadOnly))
        throw Error("无法读取标准输入");
    return file.readAll();
}

void WriteOutput(const QString &path, const QByteArray &bytes)
{
    Output output(path);
    output.write(bytes);
    output.commit();
}

int RunPointStream(const PointConversion &conversion, const StreamOptions &options)
{
    std::unique_ptr<Input> input;
    Encoding encoding = Encoding::Undecided;
    try {
        input = std::make_unique<Input>(options.input);
        if (options.encoding == QStringLiteral("utf-8"))
            encoding = Encoding::Utf8;
        else if (options.encoding == QStringLiteral("gb18030"))
            encoding = Encoding::Gb18030;
        else if (input->regular())
            encoding = input->scanEncoding();
    } catch (const Error &e) {
        PrintError(options.input.toStdString() + ": " + e.what() + "\n");
        return ExitFailed;
    }
    std::unique_ptr<Output> output;
    try {
        output = std::make_unique<Output>(options.output);
    } catch (const Error &e) {
        PrintError(options.output.toStdString() + ": " + e.what() + "\n");
        return ExitFailed;
    }

    const int workers = options.threads > 0 ? options.threads : std::max(1, static_cast<int>(std::thread::hardware_concurrency()));
    const size_t maxInFlight = BlocksInFlightPerWorker * static_cast<size_t>(workers);
    bool anyBad = false;
    long long linesWritten = 0;
    long long bytesRead = 0;
    Progress progress(input->size());

    try {
        // The blocks outlive the pool: its destructor waits for a worker still converting one.
        std::deque<std::unique_ptr<Block>> inFlight;
        WorkerPool pool(workers, conversion, options);

        // Writes the oldest block once it is converted. False when a bad line ends the run.
        auto writeOldest = [&]() -> bool {
            Block &block = *inFlight.front();
            pool.waitFor(&block);
            for (const BadLine &bad : block.bad)
                PrintError("第 " + std::to_string(bad.line) + " 行: " + bad.message + "\n");
            if (!block.bad.empty()) {
                anyBad = true;
                if (!options.keepGoing)
                    return false;
            }
            output->write(block.output);
            linesWritten += CountLines(block.input);
            progress.update(linesWritten, bytesRead);
            inFlight.pop_front();
            return true;
        };

        std::string carry;
        long long nextLine = 1;
        bool first = true;
        bool end = false;
        while (!end) {
            auto block = std::make_unique<Block>();
            block->input = std::move(carry);
            carry.clear();
            // Read to a block's size, then on to the end of a line.
            size_t searchFrom = 0;
            for (;;) {
                if (block->input.size() >= BlockBytes) {
                    const size_t lineEnd = block->input.find('\n', searchFrom);
                    if (lineEnd != std::string::npos) {
                        const size_t last = block->input.rfind('\n');
                        carry.assign(block->input, last + 1);
                        block->input.resize(last + 1);
                        break;
                    }
                    searchFrom = block->input.size();
                }
                const size_t before = block->input.size();
                if (!input->readInto(block->input, ReadPiece)) {
                    end = true;
                    break;
                }
                bytesRead += static_cast<long long>(block->input.size() - before);
            }
            if (first) {
                first = false;
                // A byte-order mark opens a UTF-8 file and is not part of its first name.
                if (block->input.compare(0, 3, Utf8Bom) == 0) {
                    if (encoding == Encoding::Undecided)
                        encoding = IsValidUtf8(block->input.data() + 3, static_cast<qsizetype>(block->input.size() - 3))
                                       ? Encoding::Utf8
                                       : Encoding::Gb18030;
                    if (encoding == Encoding::Utf8)
                        block->input.erase(0, 3);
                }
            }
            if (block->input.empty())
                break;
            // Standard input cannot be read twice: its encoding is chosen by the first block that
            // holds anything but ASCII.
            if (encoding == Encoding::Undecided && !IsAscii(block->input))
                encoding = IsValidUtf8(block->input.data(), static_cast<qsizetype>(block->input.size())) ? Encoding::Utf8
                                                                                                          : Encoding::Gb18030;
            block->encoding = encoding;
            block->firstLine = nextLine;
            nextLine += CountLines(block->input);
            Block *submitted = block.get();
            inFlight.push_back(std::move(block));
            pool.submit(submitted);
            while (inFlight.size() >= maxInFlight)
                if (!writeOldest()) {
                    output->cancel();
                    return ExitFailed;
                }
        }
        while (!inFlight.empty())
            if (!writeOldest()) {
                output->cancel();
                return ExitFailed;
            }
        output->commit();
    } catch (const Error &e) {
        output->cancel();
        PrintError(e.what() + std::string("\n"));
        return ExitFailed;
    }
    return anyBad ? ExitFailed : ExitOk;
}

} // namespace quorvil::cli

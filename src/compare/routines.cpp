#include "compare/routines.h"

#include "compare/crc32.h"
#include "compare/xxh3dispatch.h"
#include "platform/limits.h"

#include <memory>

namespace quillfen {

qint64 FileAccess::length(const QString& path) const {
    return platform::fileLength(path);
}

bool FileAccess::open(platform::InputFile& file, const QString& path) const {
    return file.open(path);
}

bool FileAccess::openAvailable(platform::InputFile& file, const QString& path) const {
    return file.open(path, false);
}

bool FileAccess::openIn(platform::InputFile& file, int folderFd, const QByteArray& name,
                        const QString&) const {
    return file.openAt(folderFd, name.constData());
}

qint64 FileAccess::readAt(platform::InputFile& file, const QString&, qint64 offset, char* buffer,
                          qint64 length) const {
    return file.readAt(offset, buffer, length);
}

qint64 FileAccess::openFileBudget() const {
    return platform::openFilesLeft();
}

const FileAccess& ReadControl::access() const {
    static const FileAccess direct;
    return files ? *files : direct;
}

bool ReadControl::pause(int milliseconds) const {
    // Slices of 10 ms keep Stop well within a fifth of a second.
    constexpr int slice = 10;
    for (int waited = 0; waited < milliseconds; waited += slice) {
        if (stopRequested())
            return false;
        platform::pause(qMin(slice, milliseconds - waited));
    }
    return !stopRequested();
}

qint64 fuzzyStep(qint64 length) {
    // length / 12 to the nearest whole number, halves to even, in integers
    // so that lengths beyond 2^53 stay exact.
    qint64 step = length / 12;
    const qint64 rest = length % 12;
    if (rest > 6 || (rest == 6 && step % 2 == 1))
        ++step;
    return step == 0 ? 1 : step;
}

int fuzzySamplesFor(qint64 length) {
    return length <= 100 ? 1 : fuzzySampleCount;
}

bool readFuzzySamples(platform::InputFile& file, const QString& path, qint64 length,
                      QByteArray& samples, const ReadControl& control) {
    samples.clear();
    if (length <= 0)
        return true;
    const qint64 step = fuzzyStep(length);
    const int count = fuzzySamplesFor(length);
    // The bytes from the first sample to the end of the last one.
    const qint64 first = step - 1;
    const qint64 end = qMin(length, (count - 1) * step + first + fuzzySampleLength);
    samples.reserve(count * fuzzySampleLength);
    if (end - first <= 64 * 1024) {
        // Close together: one read instead of ten (small files).
        QByteArray span(end - first, Qt::Uninitialized);
        if (control.access().readAt(file, path, first, span.data(), span.size()) != span.size())
            return false;
        for (int k = 0; k < count; ++k) {
            const qint64 at = k * step;
            samples.append(span.constData() + at,
                           qsizetype(qMin(fuzzySampleLength, span.size() - at)));
        }
        return true;
    }
    char buffer[fuzzySampleLength];
    for (int k = 1; k <= count; ++k) {
        const qint64 offset = k * step - 1;
        const qint64 wanted = qMin(fuzzySampleLength, length - offset);
        const qint64 got = control.access().readAt(file, path, offset, buffer, wanted);
        if (got != wanted)
            return false;
        samples.append(buffer, qsizetype(got));
    }
    return true;
}

FuzzySampler::FuzzySampler(qint64 length) {
    if (length <= 0)
        return;
    const qint64 step = fuzzyStep(length);
    const int count = fuzzySamplesFor(length);
    qint64 total = 0;
    for (int k = 0; k < count; ++k) {
        const qint64 at = step - 1 + k * step;
        const qint64 size = qMax<qint64>(0, qMin(fuzzySampleLength, length - at));
        m_slots.push_back({at, size});
        total += size;
    }
    m_samples = QByteArray(qsizetype(total), '\0');
}

void FuzzySampler::feed(qint64 offset, const char* data, qint64 count) {
    qint64 place = 0; // where the slot's bytes go in m_samples
    for (const auto& [at, size] : m_slots) {
        const qint64 from = qMax(at, offset);
        const qint64 to = qMin(at + size, offset + count);
        if (from < to)
            std::memcpy(m_samples.data() + place + (from - at), data + (from - offset),
                        std::size_t(to - from));
        place += size;
    }
}

quint64 fuzzyDigest(qint64 length, const QByteArray& samples) {
    const quint64 digest =
        XXH3_64bits_withSeed(samples.constData(), std::size_t(samples.size()), quint64(length));
    return digest == 0 ? 1 : digest;
}

FileCrc readFileCrc(platform::InputFile& file, const QString& path, const ReadControl& control,
                    FuzzySampler* sampler, QByteArrayView head) {
    FileCrc result;
    const qint64 length = file.openedInfo().size;
    if (length > crcBlockLength)
        file.adviseSequential();
    const auto buffer = std::make_unique<char[]>(crcBlockLength);
    std::unique_ptr<XXH3_state_t, decltype(&XXH3_freeState)> state(nullptr, &XXH3_freeState);
    quint32 c = 0xFFFFFFFFu;
    XXH128_hash_t check = XXH3_128bits("", 0);
    bool whole = false; // the first read held the whole file
    qint64 offset = 0;
    if (!head.isEmpty()) {
        c = crc32Update(c, head.data(), size_t(head.size()));
        if (sampler)
            sampler->feed(0, head.data(), head.size());
        state.reset(XXH3_createState());
        if (!state)
            return result;
        XXH3_128bits_reset(state.get());
        XXH3_128bits_update(state.get(), head.data(), size_t(head.size()));
        offset = head.size();
    }
    for (;;) {
        const qint64 got =
            control.access().readAt(file, path, offset, buffer.get(), crcBlockLength);
        if (got < 0)
            return result;
        if (got == 0)
            break;
        control.countRead(got);
        if (control.stopRequested()) {
            result.status = FileCrc::Stopped;
            return result;
        }
        if (whole)
            return result; // it grew while it was read
        c = crc32Update(c, buffer.get(), size_t(got));
        if (sampler)
            sampler->feed(offset, buffer.get(), got);
        if (offset == 0 && got < crcBlockLength) {
            // The whole file in one read (most files): no running state.
            check = XXH3_128bits(buffer.get(), size_t(got));
            whole = true;
        } else {
            if (!state) {
                state.reset(XXH3_createState());
                if (!state)
                    return result;
                XXH3_128bits_reset(state.get());
            }
            XXH3_128bits_update(state.get(), buffer.get(), size_t(got));
        }
        offset += got;
    }
    if (state)
        check = XXH3_128bits_digest(state.get());
    result.status = FileCrc::Done;
    result.crc = c ^ 0xFFFFFFFFu;
    result.check = check.low64;
    result.checkhigh = check.high64;
    result.bytes = offset;
    return result;
}

} // namespace quillfen

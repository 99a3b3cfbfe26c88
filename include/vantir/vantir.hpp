// Header-only C++ layer over the C calls: owning handles, blob files loaded into
// aligned owned buffers, data sets of the host calls, UTF-8/UTF-16 helpers and
// a filter session wrapper.
#ifndef VANTIR_VANTIR_HPP
#define VANTIR_VANTIR_HPP

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <new>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "vantir/blob_format.h"
#include "vantir/host.h"
#include "vantir/vantir.h"

namespace vantir {

// ---------------------------------------------------------------------------
// Results: a value or a library result code with a readable message. The
// library's own failures never throw; they come back as codes, and a message
// made from one ends with the library's sentence for it (Vantir_ErrorMessage).

struct Error {
    int32_t code = VANTIR_OK;  // one of VantirResultCode
    std::string message;
};

template <class T>
class Expected {
  public:
    Expected(T value) : value_(std::move(value)), ok_(true) {}
    Expected(Error error) : error_(std::move(error)), ok_(false) {}

    bool has_value() const noexcept { return ok_; }
    explicit operator bool() const noexcept { return ok_; }
    T& value() & noexcept { return value_; }
    const T& value() const& noexcept { return value_; }
    T&& value() && noexcept { return std::move(value_); }
    T& operator*() & noexcept { return value_; }
    const T& operator*() const& noexcept { return value_; }
    T* operator->() noexcept { return &value_; }
    const T* operator->() const noexcept { return &value_; }
    const Error& error() const noexcept { return error_; }

  private:
    T value_{};
    Error error_{};
    bool ok_ = false;
};

// ---------------------------------------------------------------------------
// UTF-8 <-> UTF-16 on standard strings. Characters outside the Basic
// Multilingual Plane travel as surrogate pairs.

namespace detail {

inline bool IsContinuation(unsigned char byte) {
    return (byte & 0xC0) == 0x80;
}

}  // namespace detail

// Strict decoder: overlong forms, surrogate code points, values above U+10FFFF
// and truncated sequences are errors naming the byte offset.
inline Expected<std::u16string> ToUtf16(std::string_view utf8) {
    constexpr char32_t kMaxCodePoint = 0x10FFFF;
    std::u16string out;
    out.reserve(utf8.size());
    size_t i = 0;
    while (i < utf8.size()) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        size_t extra;
        char32_t point;
        char32_t minimum;
        if (lead < 0x80) {
            extra = 0, point = lead, minimum = 0;
        } else if ((lead & 0xE0) == 0xC0) {
            extra = 1, point = lead & 0x1F, minimum = 0x80;
        } else if ((lead & 0xF0) == 0xE0) {
            extra = 2, point = lead & 0x0F, minimum = 0x800;
        } else if ((lead & 0xF8) == 0xF0) {
            extra = 3, point = lead & 0x07, minimum = 0x10000;
        } else {
            return Error{VANTIR_INVALID_ARGUMENT, "invalid UTF-8 at byte " + std::to_string(i)};
        }
        if (i + extra >= utf8.size()) {
            return Error{VANTIR_INVALID_ARGUMENT,
                         "truncated UTF-8 sequence at byte " + std::to_string(i)};
        }
        for (size_t k = 1; k <= extra; ++k) {
            const auto next = static_cast<unsigned char>(utf8[i + k]);
            if (!detail::IsContinuation(next)) {
                return Error{VANTIR_INVALID_ARGUMENT,
                             "invalid UTF-8 at byte " + std::to_string(i + k)};
            }
            point = (point << 6) | (next & 0x3F);
        }
        if (point < minimum || point > kMaxCodePoint || (point >= 0xD800 && point <= 0xDFFF)) {
            return Error{VANTIR_INVALID_ARGUMENT,
                         "invalid UTF-8 code point at byte " + std::to_string(i)};
        }
        if (point >= 0x10000) {
            point -= 0x10000;
            out.push_back(static_cast<char16_t>(0xD800 + (point >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + (point & 0x3FF)));
        } else {
            out.push_back(static_cast<char16_t>(point));
        }
        i += extra + 1;
    }
    return out;
}

// Never fails: a lone surrogate becomes U+FFFD.
inline std::string ToUtf8(std::u16string_view utf16) {
    constexpr char32_t kReplacement = 0xFFFD;
    std::string out;
    out.reserve(utf16.size() * 3);
    for (size_t i = 0; i < utf16.size(); ++i) {
        char32_t point = utf16[i];
        if (point >= 0xD800 && point <= 0xDBFF && i + 1 < utf16.size() && utf16[i + 1] >= 0xDC00 &&
            utf16[i + 1] <= 0xDFFF) {
            point = 0x10000 + ((point - 0xD800) << 10) + (utf16[i + 1] - 0xDC00);
            ++i;
        } else if (point >= 0xD800 && point <= 0xDFFF) {
            point = kReplacement;
        }
        if (point < 0x80) {
            out.push_back(static_cast<char>(point));
        } else if (point < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (point >> 6)));
            out.push_back(static_cast<char>(0x80 | (point & 0x3F)));
        } else if (point < 0x10000) {
            out.push_back(static_cast<char>(0xE0 | (point >> 12)));
            out.push_back(static_cast<char>(0x80 | ((point >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (point & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xF0 | (point >> 18)));
            out.push_back(static_cast<char>(0x80 | ((point >> 12) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | ((point >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (point & 0x3F)));
        }
    }
    return out;
}

// ---------------------------------------------------------------------------
// Blob buffers: the bytes of a stored blob in memory that the buffer owns,
// aligned for in-place use. A buffer must outlive every object using it.

class BlobBuffer {
  public:
    static constexpr size_t kAlignment = 16;

    BlobBuffer() = default;
    explicit BlobBuffer(size_t size)
        : bytes_(size == 0 ? nullptr
                           : static_cast<unsigned char*>(::operator new (
                                 size, std::align_val_t{kAlignment}, std::nothrow))),
          size_(bytes_ ? size : 0) {}

    static BlobBuffer CopyOf(const void* data, size_t size) {
        BlobBuffer buffer(size);
        if (buffer.size() == size && size > 0) std::memcpy(buffer.data(), data, size);
        return buffer;
    }

    unsigned char* data() noexcept { return bytes_.get(); }
    const unsigned char* data() const noexcept { return bytes_.get(); }
    size_t size() const noexcept { return size_; }
    bool empty() const noexcept { return size_ == 0; }

  private:
    struct AlignedDelete {
        void operator()(unsigned char* p) const noexcept {
            ::operator delete (p, std::align_val_t{kAlignment});
        }
    };
    std::unique_ptr<unsigned char, AlignedDelete> bytes_;
    size_t size_ = 0;
};

// The header fields that every blob starts with.
inline constexpr size_t kBlobHeaderBytes = VANTIR_BLOB_HEADER_SIZE;

// True when the magic, the NUL-terminated tag and the version match; the same
// test the library's attach calls make.
inline bool BlobHeaderIs(const BlobBuffer& blob, std::string_view tag, uint16_t version) {
    constexpr size_t kTagAt = VANTIR_BLOB_TAG_OFFSET;
    constexpr size_t kTagRoom = VANTIR_BLOB_TAG_ROOM;
    constexpr size_t kVersionAt = VANTIR_BLOB_VERSION_OFFSET;
    if (blob.size() < kBlobHeaderBytes || tag.size() >= kTagRoom) return false;
    const unsigned char* bytes = blob.data();
    if (std::memcmp(bytes, VANTIR_BLOB_MAGIC, VANTIR_BLOB_MAGIC_BYTES) != 0) return false;
    if (std::memcmp(bytes + kTagAt, tag.data(), tag.size()) != 0 ||
        bytes[kTagAt + tag.size()] != 0) {
        return false;
    }
    const uint16_t stored = static_cast<uint16_t>(bytes[kVersionAt] | (bytes[kVersionAt + 1] << 8));
    return stored == version;
}

namespace detail {

// The one place where a loaded blob gets its structural check against the
// number of bytes actually read.
inline int32_t VerifyLoadedBlob(const BlobBuffer& blob) {
    if (blob.size() > UINT32_MAX) return VANTIR_BAD_BLOB;
    return Vantir_VerifyBlob(blob.data(), static_cast<uint32_t>(blob.size()));
}

}  // namespace detail

// The largest blob file a loader reads; a header that states more, or a file
// larger than that, is refused before anything is read.
inline constexpr uint64_t kMaxBlobFileBytes = uint64_t{1} << 30;

namespace detail {

inline const char* FileKindOf(mode_t mode) {
    if (S_ISDIR(mode)) return "a directory";
    if (S_ISFIFO(mode)) return "a pipe";
    if (S_ISCHR(mode)) return "a character device";
    if (S_ISBLK(mode)) return "a block device";
    if (S_ISSOCK(mode)) return "a socket";
    return "not a regular file";
}

// Reads up to `size` bytes at `offset`; fewer only at the end of the file.
inline size_t ReadAt(int fd, unsigned char* into, size_t size, off_t offset, int& error) {
    size_t got = 0;
    while (got < size) {
        const ssize_t n = ::pread(fd, into + got, size - got, offset + static_cast<off_t>(got));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            error = errno;
            break;
        }
        if (n == 0) break;
        got += static_cast<size_t>(n);
    }
    return got;
}

inline uint32_t StoredU32(const unsigned char* bytes) {
    return static_cast<uint32_t>(bytes[0]) | static_cast<uint32_t>(bytes[1]) << 8 |
           static_cast<uint32_t>(bytes[2]) << 16 | static_cast<uint32_t>(bytes[3]) << 24;
}

// The bytes of a regular file, at most the size its blob header states and
// never more than kMaxBlobFileBytes. A pipe, a device or a directory (or a link
// to one) is refused without waiting on it: it is opened without blocking and
// judged by what the opened file is, so a file swapped after the check cannot
// slip through.
inline Expected<BlobBuffer> ReadBlobBytes(const std::string& name) {
    struct stat seen {};
    if (::stat(name.c_str(), &seen) != 0) {
        const int reason = errno;
        return Error{VANTIR_NOT_FOUND, name + ": cannot open: " + std::strerror(reason)};
    }
    if (!S_ISREG(seen.st_mode)) {
        return Error{VANTIR_INVALID_ARGUMENT,
                     name + ": is " + FileKindOf(seen.st_mode) + ", not a regular file"};
    }
    const int fd = ::open(name.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        const int reason = errno;
        return Error{VANTIR_NOT_FOUND, name + ": cannot open: " + std::strerror(reason)};
    }
    struct Closer {
        int fd;
        ~Closer() { ::close(fd); }
    } closer{fd};
    struct stat opened {};
    if (::fstat(fd, &opened) != 0 || !S_ISREG(opened.st_mode)) {
        return Error{VANTIR_INVALID_ARGUMENT,
                     name + ": is " + FileKindOf(opened.st_mode) + ", not a regular file"};
    }
    const auto fileSize = static_cast<uint64_t>(opened.st_size);
    auto tooLarge = [&](uint64_t bytes, const char* what) {
        return Error{VANTIR_BAD_BLOB,
                     name + ": " + what + " " + std::to_string(bytes) + " bytes, more than the " +
                         std::to_string(kMaxBlobFileBytes) + " a blob file may hold"};
    };
    int error = 0;
    unsigned char header[kBlobHeaderBytes];
    const size_t headerGot = ReadAt(fd, header, sizeof header, 0, error);
    uint64_t wanted = fileSize;
    if (headerGot == sizeof header &&
        std::memcmp(header, VANTIR_BLOB_MAGIC, VANTIR_BLOB_MAGIC_BYTES) == 0) {
        const uint32_t declared = StoredU32(header + VANTIR_BLOB_TOTAL_SIZE_OFFSET);
        if (declared > kMaxBlobFileBytes) return tooLarge(declared, "its header states");
        // Bytes past the stated size are never read; a shorter file is read
        // whole and judged by the checks.
        if (fileSize > declared) {
            return Error{VANTIR_BAD_BLOB, name + ": header gives " + std::to_string(declared) +
                                              " bytes, file has " + std::to_string(fileSize)};
        }
    }
    if (wanted > kMaxBlobFileBytes) return tooLarge(wanted, "has");
    BlobBuffer blob(static_cast<size_t>(wanted));
    if (blob.size() != wanted) return Error{VANTIR_OUT_OF_MEMORY, name + ": out of memory"};
    const size_t got = wanted == 0 ? 0 : ReadAt(fd, blob.data(), blob.size(), 0, error);
    if (error != 0) {
        return Error{VANTIR_NOT_FOUND, name + ": read error: " + std::strerror(error)};
    }
    if (got != wanted) {
        // Cut short while it was read: the bytes there are, for the checks to judge.
        return BlobBuffer::CopyOf(blob.data(), got);
    }
    return blob;
}

}  // namespace detail

// Reads a blob file into an aligned buffer (see detail::ReadBlobBytes for the
// files it refuses). With a tag, the header must name that kind of blob with
// that version, and the blob is verified.
inline Expected<BlobBuffer> LoadBlobFile(const std::filesystem::path& path,
                                         std::string_view tag = {}, uint16_t version = 0) {
    const std::string name = path.string();
    Expected<BlobBuffer> read = detail::ReadBlobBytes(name);
    if (!read) return read.error();
    BlobBuffer blob = std::move(*read);
    if (!tag.empty()) {
        if (blob.size() < kBlobHeaderBytes) {
            return Error{VANTIR_BAD_BLOB, name + ": truncated: " + std::to_string(blob.size()) +
                                              " bytes, shorter than the " +
                                              std::to_string(kBlobHeaderBytes) + "-byte header"};
        }
        if (!BlobHeaderIs(blob, tag, version)) {
            return Error{VANTIR_BAD_BLOB, name + ": not a \"" + std::string(tag) +
                                              "\" blob of version " + std::to_string(version)};
        }
        if (detail::VerifyLoadedBlob(blob) != VANTIR_OK) {
            return Error{VANTIR_BAD_BLOB, name + ": blob is damaged or truncated"};
        }
    }
    return blob;
}

// ---------------------------------------------------------------------------
// Owning handles.

struct ModelDeleter {
    void operator()(BigramModel* model) const noexcept { BigramModel_Destroy(model); }
};
struct LexiconDeleter {
    void operator()(Lexicon* lexicon) const noexcept { Lexicon_Destroy(lexicon); }
};
struct SessionDeleter {
    void operator()(FilterSession* session) const noexcept { Vantir_Release(session); }
};

using ModelPtr = std::unique_ptr<BigramModel, ModelDeleter>;
using LexiconPtr = std::unique_ptr<Lexicon, LexiconDeleter>;
using SessionPtr = std::unique_ptr<FilterSession, SessionDeleter>;

// A model attached to a blob that the handle keeps alive (members are
// destroyed in reverse order: the model before its blob).
struct ModelHandle {
    BlobBuffer blob;
    ModelPtr model;
    BigramModel* get() const noexcept { return model.get(); }
};

struct LexiconHandle {
    BlobBuffer blob;
    LexiconPtr lexicon;
    Lexicon* get() const noexcept { return lexicon.get(); }
};

inline Expected<ModelHandle> AttachModel(BlobBuffer blob) {
    ModelPtr model(BigramModel_Create(nullptr));
    if (!model) return Error{VANTIR_OUT_OF_MEMORY, "cannot create a model"};
    const int32_t code = BigramModel_AttachBlob(model.get(), blob.data());
    if (code != VANTIR_OK) {
        return Error{code, std::string("model blob refused: ") + Vantir_ErrorMessage(code)};
    }
    return ModelHandle{std::move(blob), std::move(model)};
}

// addedCapacity and addedCharCapacity size the room for words added at run time.
inline Expected<LexiconHandle> AttachLexicon(BlobBuffer blob, int32_t addedCapacity = 0,
                                             int32_t addedCharCapacity = 0) {
    LexiconPtr lexicon(Lexicon_Create(nullptr, addedCapacity, addedCharCapacity));
    if (!lexicon) return Error{VANTIR_OUT_OF_MEMORY, "cannot create a lexicon"};
    const int32_t code = Lexicon_AttachBlob(lexicon.get(), blob.data());
    if (code < 0) {
        return Error{code, std::string("lexicon blob refused: ") + Vantir_ErrorMessage(code)};
    }
    return LexiconHandle{std::move(blob), std::move(lexicon)};
}

inline Expected<ModelHandle> LoadModelFile(const std::filesystem::path& path) {
    Expected<BlobBuffer> blob =
        LoadBlobFile(path, VANTIR_MODEL_BLOB_TAG, VANTIR_MODEL_BLOB_VERSION);
    if (!blob) return blob.error();
    Expected<ModelHandle> handle = AttachModel(std::move(*blob));
    if (!handle) return Error{handle.error().code, path.string() + ": " + handle.error().message};
    return handle;
}

inline Expected<LexiconHandle> LoadLexiconFile(const std::filesystem::path& path) {
    Expected<BlobBuffer> blob =
        LoadBlobFile(path, VANTIR_LEXICON_BLOB_TAG, VANTIR_LEXICON_BLOB_VERSION);
    if (!blob) return blob.error();
    Expected<LexiconHandle> handle = AttachLexicon(std::move(*blob));
    if (!handle) return Error{handle.error().code, path.string() + ": " + handle.error().message};
    return handle;
}

inline Expected<BlobBuffer> LoadAddressDbFile(const std::filesystem::path& path) {
    return LoadBlobFile(path, VANTIR_ADDRESS_DB_TAG, VANTIR_ADDRESS_DB_VERSION);
}

// ---------------------------------------------------------------------------
// Set identity. `vantir build` writes one number into the user field of every
// blob it builds (VANTIR_BLOB_USER_VALUE_OFFSET): a digest of the whole set,
// never 0, so the blobs of one build carry the same number and those of
// another build (almost surely) another. 0 is no identity: blobs from before
// identities were written, or from a host's own writer (BigramModel_NewBlob
// and Lexicon_BuildBlob write 0); such blobs are checked by their word counts
// alone. A C host makes the same check by comparing the non-zero ones of
// Lexicon_GetUserValue, BigramModel_GetUserValue and the little-endian u32 at
// VANTIR_BLOB_USER_VALUE_OFFSET of the address database.

// The set identity in a blob's header; 0 for none or a blob shorter than a header.
inline uint32_t BlobSetIdentity(const BlobBuffer& blob) {
    constexpr size_t kAt = VANTIR_BLOB_USER_VALUE_OFFSET;
    if (blob.size() < kBlobHeaderBytes) return 0;
    const unsigned char* bytes = blob.data() + kAt;
    return static_cast<uint32_t>(bytes[0]) | static_cast<uint32_t>(bytes[1]) << 8 |
           static_cast<uint32_t>(bytes[2]) << 16 | static_cast<uint32_t>(bytes[3]) << 24;
}

struct SetMember {
    std::string name;  // as messages name the blob: its file name, say
    uint32_t identity = 0;
};

// Empty when the blobs can be of one set: every blob that carries an identity
// carries the same one. A blob without one (0) is not compared: blobs from
// before identities, and blobs a host wrote itself (the library's writers leave
// the field 0), are checked by their word counts alone. Otherwise a message
// naming each blob outside the identity most of the others carry (on a tie,
// the first of them: the lexicon in LoadDataSet).
inline std::string SetMismatch(const std::vector<SetMember>& members) {
    const SetMember* reference = nullptr;
    size_t most = 0;
    for (const SetMember& candidate : members) {
        if (candidate.identity == 0) continue;
        const auto same = static_cast<size_t>(
            std::count_if(members.begin(), members.end(),
                          [&](const SetMember& m) { return m.identity == candidate.identity; }));
        if (same > most) {
            most = same;
            reference = &candidate;
        }
    }
    auto outside = [&](const SetMember& member) {
        return member.identity != 0 && member.identity != reference->identity;
    };
    if (reference == nullptr || std::none_of(members.begin(), members.end(), outside)) return {};
    auto hex = [](uint32_t value) {
        char text[9];
        std::snprintf(text, sizeof text, "%08x", static_cast<unsigned>(value));
        return std::string(text);
    };
    std::string belonging;
    for (const SetMember& member : members) {
        if (member.identity == reference->identity) {
            belonging += (belonging.empty() ? "" : " and ") + member.name;
        }
    }
    std::string message;
    for (const SetMember& member : members) {
        if (!outside(member)) continue;
        if (!message.empty()) message += "; ";
        message += member.name + " is of another build than " + belonging + " (set " +
                   hex(member.identity) + ", not " + hex(reference->identity) + ")";
    }
    return message + "; build the set again with 'vantir build'";
}

// The file names `vantir build` gives the blobs of a set in its folder.
inline constexpr const char* kLexiconFileName = "lexicon.wpb";
inline constexpr const char* kModelFileName = "model.lmb";
inline constexpr const char* kAddressDbFileName = "address.addr";
// The optional sounds blob of sound-alike text intake (`vantir build --sounds`).
inline constexpr const char* kSoundsFileName = "sounds.snd";
// The optional postal blob, built when the sources hold ranges.tsv.
inline constexpr const char* kPostalFileName = "postal.pst";

// A loaded set: the model and lexicon attached, the address database's bytes.
struct DataSet {
    LexiconHandle lexicon;
    ModelHandle model;
    BlobBuffer address;
};

namespace detail {

inline Expected<DataSet> LoadDataSetOnce(const std::filesystem::path& directory) {
    Expected<BlobBuffer> lexicon = LoadBlobFile(
        directory / kLexiconFileName, VANTIR_LEXICON_BLOB_TAG, VANTIR_LEXICON_BLOB_VERSION);
    if (!lexicon) return lexicon.error();
    Expected<BlobBuffer> model =
        LoadBlobFile(directory / kModelFileName, VANTIR_MODEL_BLOB_TAG, VANTIR_MODEL_BLOB_VERSION);
    if (!model) return model.error();
    Expected<BlobBuffer> address = LoadAddressDbFile(directory / kAddressDbFileName);
    if (!address) return address.error();
    const std::string mismatch = SetMismatch({{kLexiconFileName, BlobSetIdentity(*lexicon)},
                                              {kModelFileName, BlobSetIdentity(*model)},
                                              {kAddressDbFileName, BlobSetIdentity(*address)}});
    if (!mismatch.empty()) return Error{VANTIR_BAD_BLOB, directory.string() + ": " + mismatch};
    DataSet set;
    Expected<LexiconHandle> attachedLexicon = AttachLexicon(std::move(*lexicon));
    if (!attachedLexicon) return attachedLexicon.error();
    Expected<ModelHandle> attachedModel = AttachModel(std::move(*model));
    if (!attachedModel) return attachedModel.error();
    set.lexicon = std::move(*attachedLexicon);
    set.model = std::move(*attachedModel);
    set.address = std::move(*address);
    const int32_t words = Lexicon_GetStaticCount(set.lexicon.get());
    if (BigramModel_GetStaticCount(set.model.get()) != words) {
        return Error{VANTIR_BAD_BLOB, directory.string() + ": " + kModelFileName +
                                          " numbers other words than " + kLexiconFileName};
    }
    return set;
}

}  // namespace detail

// The record `vantir build` keeps in the folder while it switches the blobs.
inline constexpr const char* kSwitchRecordFileName = VANTIR_SWITCH_RECORD_NAME;

// The three blobs of a folder built by `vantir build`, each loaded (regular
// files only, see LoadBlobFile), verified and attached, after the checks that
// they are of one set (SetMismatch) and that the model numbers the lexicon's
// words. The error names the folder and the blob that does not belong. A load
// that failed while a build was switching the blobs (its record in the folder
// before or after the load) is made once more, since a load meeting the switch
// half done can fail on a folder that was whole at every moment; when that
// fails too, the message says a build was under way.
inline Expected<DataSet> LoadDataSet(const std::filesystem::path& directory) {
    auto building = [&] {
        std::error_code ignored;
        return std::filesystem::exists(
            std::filesystem::symlink_status(directory / kSwitchRecordFileName, ignored));
    };
    const bool before = building();
    Expected<DataSet> set = detail::LoadDataSetOnce(directory);
    if (set || !(before || building())) return set;
    set = detail::LoadDataSetOnce(directory);
    if (set) return set;
    return Error{set.error().code,
                 set.error().message +
                     " (a build was switching the blobs of this folder meanwhile; load it again "
                     "once the build has finished)"};
}

// ---------------------------------------------------------------------------
// Word lookups through a lexicon.

inline WordId FindWord(const Lexicon* lexicon, std::u16string_view text) {
    if (text.empty()) return VANTIR_NOT_FOUND;
    return Lexicon_FindIdN(lexicon, text.data(), static_cast<int32_t>(text.size()));
}

inline std::u16string WordText(const Lexicon* lexicon, WordId id) {
    int32_t length = 0;
    const char16_t* units = Lexicon_GetWord(lexicon, id, &length);
    return units == nullptr ? std::u16string() : std::u16string(units, static_cast<size_t>(length));
}

// ---------------------------------------------------------------------------
// A result with its details: the text, and what Vantir_GetResultInfo says of it.

struct ResultDetails {
    std::u16string text;
    VantirResultInfo info{};
    // Its postal standing (Vantir_GetResultPostal); read only when the session
    // has a postal blob, which `withPostal` says.
    VantirPostal postal{};
    bool withPostal = false;

    // The text of a field (VANTIR_FIELD_*), empty when the result has none.
    std::u16string_view field(int32_t which) const {
        if (which < 0 || which >= VANTIR_FIELD_COUNT) return {};
        const VantirSpan span = info.fields[which];
        const auto start = static_cast<size_t>(span.start);
        const auto length = static_cast<size_t>(span.length);
        if (span.start < 0 || span.length <= 0 || start + length > text.size()) return {};
        return std::u16string_view(text).substr(start, length);
    }
};

// The names of the fields, as the JSON output and the Python module spell them.
inline const char* FieldName(int32_t which) {
    static constexpr const char* kNames[VANTIR_FIELD_COUNT] = {
        "upper", "lower", "road", "section", "lane", "alley", "number", "place"};
    return which >= 0 && which < VANTIR_FIELD_COUNT ? kNames[which] : "";
}

// ---------------------------------------------------------------------------
// Data sets through the host calls (vantir/host.h): a built folder, or blobs in
// memory, opened as one verified set that owns its blobs, for sessions that
// may filter on several threads at once (Session::Open). A host that needs the
// lexicon and model objects themselves uses LoadDataSet instead.

struct DataSetCloser {
    void operator()(VantirDataSet* set) const noexcept { Vantir_CloseDataSet(set); }
};
// Close the set only after every session opened on it is gone.
using DataSetPtr = std::unique_ptr<VantirDataSet, DataSetCloser>;

inline Expected<DataSetPtr> OpenDataSet(const std::filesystem::path& directory) {
    int32_t code = VANTIR_OK;
    const std::string name = directory.string();
    DataSetPtr set(Vantir_OpenDataSet(name.c_str(), &code));
    if (!set) {
        return Error{code, name + ": cannot open the data set: " + Vantir_ErrorMessage(code)};
    }
    return set;
}

// Each blob's bytes, at any alignment; they are copied. Empty sounds or postal
// bytes: none.
inline Expected<DataSetPtr> OpenDataSetFromMemory(std::span<const unsigned char> lexicon,
                                                  std::span<const unsigned char> model,
                                                  std::span<const unsigned char> address,
                                                  std::span<const unsigned char> sounds = {},
                                                  std::span<const unsigned char> postal = {}) {
    for (const std::span<const unsigned char> blob : {lexicon, model, address, sounds, postal}) {
        if (blob.size() > static_cast<size_t>(INT32_MAX)) {
            return Error{VANTIR_BAD_BLOB, "a blob of " + std::to_string(blob.size()) +
                                              " bytes is larger than any data set holds"};
        }
    }
    auto size = [](std::span<const unsigned char> blob) {
        return static_cast<int32_t>(blob.size());
    };
    int32_t code = VANTIR_OK;
    DataSetPtr set(Vantir_OpenDataSetFromMemory(
        lexicon.data(), size(lexicon), model.data(), size(model), address.data(), size(address),
        sounds.empty() ? nullptr : sounds.data(), size(sounds),
        postal.empty() ? nullptr : postal.data(), size(postal), &code));
    if (!set) {
        return Error{code, std::string("cannot open the data set from memory: ") +
                               Vantir_ErrorMessage(code)};
    }
    return set;
}

// ---------------------------------------------------------------------------
// A filter session over a model, a lexicon and an address database that the
// caller keeps alive for the session's life and does not edit while it
// filters. By default each add() switches the model's scoring mode, which
// writes the model: sessions sharing it must not filter at the same time.
// With VANTIR_OPTION_SHARED_MODEL (Vantir_SetOptions on get()) a session only
// reads all three, and sessions on several threads may share them; see
// docs/THREADS.md.

class Session {
  public:
    static constexpr int32_t kAllResults = 128;  // the size of the result table

    static Expected<Session> Create(BigramModel* model, Lexicon* lexicon, const void* addressDb) {
        SessionPtr session(Vantir_Init(model, lexicon, addressDb));
        if (!session)
            return Error{VANTIR_BAD_BLOB,
                         "cannot open a session (missing object or bad address database)"};
        return Session(std::move(session));
    }

    // A session on a set of the host calls, with `options`; it may filter
    // beside the set's other sessions on other threads.
    static Expected<Session> Open(const VantirDataSet* set, uint32_t options = 0) {
        int32_t code = VANTIR_OK;
        SessionPtr session(Vantir_OpenSession(set, options, &code));
        if (!session) {
            return Error{code, std::string("cannot open a session: ") + Vantir_ErrorMessage(code)};
        }
        return Session(std::move(session));
    }

    Session() = default;

    FilterSession* get() const noexcept { return session_.get(); }

    int32_t reset() noexcept { return Vantir_Reset(session_.get()); }

    // One hypothesis, best first; 0 or a negative code.
    int32_t add(std::span<const WordId> ids) noexcept {
        return Vantir_AddRecogResult(session_.get(), ids.data(), 0, 0, 0,
                                     static_cast<int32_t>(ids.size()));
    }

    // One hypothesis as unsegmented text (see Vantir_AddRecogText); 0 or a
    // negative code. The UTF-8 form answers VANTIR_INVALID_ARGUMENT for bytes
    // that are no UTF-8.
    int32_t add_text(std::u16string_view text) noexcept {
        return Vantir_AddRecogText(session_.get(), text.data(), static_cast<int32_t>(text.size()));
    }
    int32_t add_text(std::string_view utf8) {
        Expected<std::u16string> text = ToUtf16(utf8);
        if (!text) return VANTIR_INVALID_ARGUMENT;
        return add_text(std::u16string_view(*text));
    }

    // One hypothesis as lexicon words split by blanks, in UTF-8 (see
    // Vantir_AddRecogWordsUtf8): words the lexicon does not hold are left out.
    int32_t add_words(std::string_view utf8) noexcept {
        if (utf8.size() > static_cast<size_t>(INT32_MAX)) return VANTIR_INVALID_ARGUMENT;
        return Vantir_AddRecogWordsUtf8(session_.get(), utf8.data(),
                                        static_cast<int32_t>(utf8.size()));
    }

    // The lexicon words that the text splits into (see Vantir_SegmentText).
    Expected<std::vector<WordId>> segment(std::u16string_view text) const {
        const auto length = static_cast<int32_t>(text.size());
        const int32_t count = Vantir_SegmentText(session_.get(), text.data(), length, nullptr, 0);
        if (count < 0) return SegmentError(count);
        std::vector<WordId> ids(static_cast<size_t>(count));
        const int32_t written =
            Vantir_SegmentText(session_.get(), text.data(), length, ids.data(), count);
        if (written < 0) return SegmentError(written);
        return ids;
    }

    // Up to maxCount addresses in ranked order. A hypothesis whose kept words
    // have no text enters the empty text into the table; it is no address and
    // is skipped here, so up to maxCount non-empty texts come back.
    Expected<std::vector<std::u16string>> results(int32_t maxCount = kAllResults) {
        if (maxCount < 0) return entries(maxCount);
        Expected<std::vector<std::u16string>> listed = entries(kAllResults);
        if (!listed) return listed;
        std::vector<std::u16string> texts;
        for (std::u16string& text : *listed) {
            if (static_cast<int32_t>(texts.size()) == maxCount) break;
            if (!text.empty()) texts.push_back(std::move(text));
        }
        return texts;
    }

    // The first maxCount entries of the table in ranked order, empty texts
    // included. The block is cut into texts by the count the library returns,
    // never by its terminators: an empty text is a lone 0 unit, the same unit
    // that ends the list.
    Expected<std::vector<std::u16string>> entries(int32_t maxCount = kAllResults) {
        int32_t count = maxCount;
        const int32_t units = Vantir_GetFilterResult(session_.get(), nullptr, 0, 0, &count);
        if (units < 0) return ListingError(units);
        std::vector<char16_t> list(static_cast<size_t>(units));
        const int32_t written = Vantir_GetFilterResult(session_.get(), list.data(), 0, 0, &count);
        if (written < 0) return ListingError(written);
        std::vector<std::u16string> texts;
        auto at = list.begin();
        for (int32_t k = 0; k < count && at != list.end(); ++k) {
            const auto end = std::find(at, list.end(), u'\0');
            texts.emplace_back(at, end);
            at = end == list.end() ? end : end + 1;
        }
        return texts;
    }

    // Up to maxCount addresses in ranked order with their details (see
    // Vantir_GetResultInfo); empty texts are skipped as results() skips them.
    Expected<std::vector<ResultDetails>> details(int32_t maxCount = kAllResults) {
        Expected<std::vector<std::u16string>> listed = entries(kAllResults);
        if (!listed) return listed.error();
        std::vector<ResultDetails> found;
        for (size_t k = 0; k < listed->size(); ++k) {
            if (static_cast<int32_t>(found.size()) >= maxCount) break;
            if ((*listed)[k].empty()) continue;
            ResultDetails result;
            const int32_t code =
                Vantir_GetResultInfo(session_.get(), static_cast<int32_t>(k), &result.info);
            if (code != VANTIR_OK) return Error{code, "cannot read the result details"};
            result.text = std::move((*listed)[k]);
            found.push_back(std::move(result));
        }
        return found;
    }

  private:
    explicit Session(SessionPtr session) : session_(std::move(session)) {}
    static Error SegmentError(int32_t code) {
        return Error{code, std::string("cannot segment the text: ") + Vantir_ErrorMessage(code)};
    }
    static Error ListingError(int32_t code) {
        return Error{code, std::string("cannot read the results: ") + Vantir_ErrorMessage(code)};
    }
    SessionPtr session_;
};

}  // namespace vantir

#endif  // VANTIR_VANTIR_HPP

#include "platform/late/late_services.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLibrary>
#include <QScopeGuard>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <optional>

#include <elf.h>
#include <fcntl.h>
#include <link.h>
#include <sys/stat.h>
#include <unistd.h>

namespace late {

namespace {

// Whether [offset, offset + size) lies within a file of fileSize bytes,
// without overflowing.
bool within(std::uint64_t offset, std::uint64_t size, std::uint64_t fileSize)
{
    return offset <= fileSize && size <= fileSize - offset;
}

template <typename T> bool readAt(int fd, std::uint64_t offset, T &out)
{
    return ::pread(fd, &out, sizeof out, off_t(offset)) == ssize_t(sizeof out);
}

// The loader maps a module's segments straight from the file: a module cut
// short (a copy that stopped half-way, a full disk) maps pages past its end,
// and touching them kills the program with SIGBUS, with everything the
// player typed. So before it is loaded the file is checked against its own
// headers: an ELF shared object of this machine whose header tables, and
// every segment and section that has bytes in the file, end within it.
// The reason when it is not; nothing when it is.
std::optional<QString> moduleDefect(const QString &path)
{
    const auto systemError = [] { return QString::fromLocal8Bit(std::strerror(errno)); };
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return systemError();
    const auto closing = qScopeGuard([fd] { ::close(fd); });
    struct stat info = {};
    if (::fstat(fd, &info) != 0)
        return systemError();
    if (!S_ISREG(info.st_mode))
        return QStringLiteral("not a regular file");
    const auto fileSize = std::uint64_t(info.st_size);

    ElfW(Ehdr) header = {};
    if (!readAt(fd, 0, header))
        return QStringLiteral("too short for a library (%1 bytes)").arg(fileSize);
    // The machine is the one this program was built for, read from the
    // program's own header.
    ElfW(Ehdr) own = {};
    const int self = ::open("/proc/self/exe", O_RDONLY | O_CLOEXEC);
    const bool ownRead = self >= 0 && readAt(self, 0, own);
    if (self >= 0)
        ::close(self);
    if (std::memcmp(header.e_ident, ELFMAG, SELFMAG) != 0)
        return QStringLiteral("not a library");
    if (!ownRead || header.e_ident[EI_CLASS] != own.e_ident[EI_CLASS] ||
        header.e_ident[EI_DATA] != own.e_ident[EI_DATA] || header.e_machine != own.e_machine)
        return QStringLiteral("a library for another kind of machine");
    if (header.e_type != ET_DYN)
        return QStringLiteral("not a shared library");
    const auto truncated = [&] {
        return QStringLiteral("cut short: its headers describe more than its %1 bytes")
            .arg(fileSize);
    };

    if (header.e_phnum == 0 || header.e_phentsize != sizeof(ElfW(Phdr)) ||
        !within(header.e_phoff, std::uint64_t(header.e_phnum) * sizeof(ElfW(Phdr)), fileSize))
        return truncated();
    for (unsigned i = 0; i < header.e_phnum; ++i) {
        ElfW(Phdr) segment = {};
        if (!readAt(fd, header.e_phoff + i * sizeof(ElfW(Phdr)), segment) ||
            !within(segment.p_offset, segment.p_filesz, fileSize))
            return truncated();
    }

    // A stripped module may have no section table; when it has one, it and
    // every section stored in the file must be there too.
    if (header.e_shnum != 0) {
        if (header.e_shentsize != sizeof(ElfW(Shdr)) ||
            !within(header.e_shoff, std::uint64_t(header.e_shnum) * sizeof(ElfW(Shdr)), fileSize))
            return truncated();
        for (unsigned i = 0; i < header.e_shnum; ++i) {
            ElfW(Shdr) section = {};
            if (!readAt(fd, header.e_shoff + i * sizeof(ElfW(Shdr)), section))
                return truncated();
            if (section.sh_type != SHT_NOBITS &&
                !within(section.sh_offset, section.sh_size, fileSize))
                return truncated();
        }
    }
    return std::nullopt;
}

} // namespace

const Services *loadServices(const QString &modulePath, QString *error)
{
    if (const std::optional<QString> defect = moduleDefect(modulePath)) {
        if (error)
            *error = QStringLiteral("%1: %2").arg(modulePath, *defect);
        return nullptr;
    }
    QLibrary module(modulePath);
    if (!module.load()) {
        if (error)
            *error = module.errorString();
        return nullptr;
    }
    using Entry = const Services *(*)();
    const auto entry = reinterpret_cast<Entry>(module.resolve("velmoraLateServices"));
    const Services *loaded = entry ? entry() : nullptr;
    if (!loaded) {
        if (error)
            *error = QStringLiteral("%1 offers no services").arg(modulePath);
        module.unload();
    }
    // Loaded, the module stays for the rest of the run: QLibrary unloads
    // nothing on its own.
    return loaded;
}

const Services *services(QString *error)
{
    static QString loadError;
    // The module ships beside the program, as config.xml does.
    static const Services *const loaded = loadServices(
        QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral(VELMORA_LATE_MODULE)),
        &loadError);
    if (!loaded && error)
        *error = loadError;
    return loaded;
}

} // namespace late

#include "sources/drives.h"

#include <vector>

#include "core/arena.h"
#include "core/format.h"
#include "core/row.h"
#include "core/text.h"
#include "platform/platform.h"
#include "platform/volumes.h"
#include "query/indexer_backend.h"
#include "query/pipeline_sources.h"
#include "sources/folder_walk.h"

namespace {

struct DriveTypeName {
    uint32_t type;
    const char16_t* name;
};

constexpr DriveTypeName kDriveTypeNames[] = {
    {win::kDriveRemovable, u"Removable"}, {win::kDriveFixed, u"Local Disk"}, {win::kDriveRemote, u"Network Drive"},
    {win::kDriveCdrom, u"CD-ROM"},        {win::kDriveRamdisk, u"RAM Disk"},
};

bool ends_with_sep(std::u16string_view s) { return !s.empty() && (s.back() == u'\\' || s.back() == u'/'); }

// Drops a row whose strings were half stored (heap lists own their strings).
void drop_row(RowList* out, Row* r) {
    if (!out->arena) row_free(r);
}

void add_drive_row(RowList* out, char16_t letter) {
    Volumes* volumes = platform().volumes;
    const char16_t root[] = {letter, u':', u'\\', 0};
    VolumeInfo info;
    bool have_info = volumes->volume_info(root, info);
    const char16_t* type_name = drive_type_name(volumes->drive_type(root));

    char16_t label[kVolumeLabelCap];
    text_copy_to(label, kVolumeLabelCap, (have_info && !info.label.empty()) ? std::u16string_view(info.label)
                                                                           : std::u16string_view(type_name));
    char16_t title[kDriveTitleCap + 1];
    text_format(title, kDriveTitleCap + 1, "%s (%c:)", label, static_cast<int>(letter));

    char16_t file_system[kVolumeFileSystemCap] = {};
    if (have_info) text_copy_to(file_system, kVolumeFileSystemCap, info.file_system);

    Row r{};
    char16_t usage[128] = {};
    VolumeSpace space;
    if (volumes->disk_space(root, space) && space.total != 0) {
        uint64_t used = space.available < space.total ? space.total - space.available : 0;
        format_usage(used, space.available, space.total, usage, sizeof usage / sizeof usage[0]);
        r.used_bytes = used;
        r.total_bytes = space.total;
        r.has_usage = 1;
    }
    char16_t subtitle[kVolumeFileSystemCap + 160];
    if (file_system[0] && usage[0])
        text_format(subtitle, sizeof subtitle / sizeof subtitle[0], "%s \xC2\xB7 %s", file_system, usage);
    else
        text_format(subtitle, sizeof subtitle / sizeof subtitle[0], "%s", file_system[0] ? file_system : usage);

    r.title = text_copy(title, out->arena);
    r.subtitle = text_copy(subtitle, out->arena);
    r.path = text_copy(root, out->arena);
    r.target = text_copy(root, out->arena);
    r.kind = kKindOpen;
    r.score = 100;
    r.is_folder = 1;
    r.tag = tag::kDrive;
    if (!r.title || !r.subtitle || !r.path || !r.target) {
        drop_row(out, &r);
        return;
    }
    rowlist_add(out, &r);
}

bool counts_as_result(const Row& r) { return r.kind != kKindInfo && r.tag != tag::kInfo; }

}  // namespace

const char16_t* drive_type_name(uint32_t type) {
    for (const auto& t : kDriveTypeNames)
        if (t.type == type) return t.name;
    return u"Drive";
}

void list_drives(RowList* out) {
    if (!out || !platform().volumes) return;
    uint32_t mask = platform().volumes->logical_drives();
    for (int i = 0; i < 26; ++i)
        if (mask & (1u << i)) add_drive_row(out, static_cast<char16_t>(u'A' + i));
}

int child_row_add(RowList* out, const FileEntry& entry, std::u16string_view path, int32_t score) {
    Row r{};
    r.title = text_copy_view(entry.name, out->arena);
    r.subtitle = text_copy_view(path, out->arena);
    r.path = text_copy_view(path, out->arena);
    r.target = text_copy_view(path, out->arena);
    r.kind = kKindOpen;
    r.score = score;
    r.is_folder = (entry.attributes & win::kAttrDirectory) ? 1 : 0;
    if (!r.is_folder) {
        r.size = entry.size;
        r.has_size = 1;
    }
    r.modified = entry.write_time;
    r.has_modified = 1;
    r.tag = tag::kFolder;
    if (!r.title || !r.subtitle || !r.path || !r.target) {
        drop_row(out, &r);
        return -1;
    }
    return rowlist_add(out, &r);
}

void list_children(const char16_t* folder, RowList* out) {
    if (!out || !folder || !folder[0]) return;
    std::u16string_view dir(folder);
    // The listing pattern is the folder and "*" in 267 units; a longer folder would list another.
    if (dir.size() + 1 > kChildPathCap) return;
    std::vector<FileEntry> entries;
    if (os_files().list(dir, entries) != 0) return;
    rowlist_reserve(out, static_cast<int32_t>(entries.size()));
    std::u16string path;
    const size_t base = dir.size() + (ends_with_sep(dir) ? 0 : 1);
    path.reserve(base + 64);
    path.assign(dir);
    if (!ends_with_sep(dir)) path += u'\\';
    for (const FileEntry& e : entries) {
        if (base + e.name.size() > kChildPathCap) continue;
        path.resize(base);
        path += e.name;
        child_row_add(out, e, path, (e.attributes & win::kAttrDirectory) ? 100 : 90);
    }
}

int folder_is_indexed(const char16_t* folder, int32_t generation) {
    if (!folder || !folder[0]) return 1;
    std::vector<FileEntry> entries;
    if (os_files().list(folder, entries) != 0 || entries.empty()) return 1;
    // A hidden or system entry (desktop.ini is often first) is less likely to be indexed.
    const FileEntry* probe = &entries.front();
    for (const FileEntry& e : entries) {
        if (!(e.attributes & (win::kAttrHidden | win::kAttrSystem))) {
            probe = &e;
            break;
        }
    }
    const IndexerBackend* backend = indexer_backend();
    if (!backend || !backend->search_in_folder) return 1;
    // Its own arena: the indexer may mark and rewind the scratch arena while it appends.
    Arena* arena = arena_create(16 * 1024);
    if (!arena) return 1;
    RowList found;
    rowlist_init(&found, arena);
    std::u16string name = probe->name;
    backend->search_in_folder(name.c_str(), folder, name.c_str(), &found, generation);
    int known = 0;
    for (int32_t i = 0; i < found.count && !known; ++i) known = counts_as_result(found.items[i]) ? 1 : 0;
    arena_destroy(arena);
    return known;
}

void drives_join_pipeline() {
    PipelineSources sources = pipeline_sources();
    sources.list_drives = list_drives;
    sources.list_children = list_children;
    sources.folder_is_indexed = folder_is_indexed;
    sources.walk_folder = walk_folder;
    pipeline_sources_install(sources);
}

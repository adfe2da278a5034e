// SPDX-License-Identifier: MIT
#include "io/blocks_file_loader.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <condition_variable>
#include <cstring>
#include <exception>
#include <limits>
#include <memory>
#include <mutex>
#include <string>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

#include "format/line_syntax.h"
#include "io/line_reader.h"
#include "model/block_storage.h"
#include "platform/file_system.h"
#include "platform/prefetch.h"
#include "platform/processors.h"

namespace reuseblocks::detail {

namespace {

// When the library decides, files from this size on are parsed on several threads: below it,
// starting threads costs about what they would save.
constexpr std::uint64_t kParallelFrom = std::uint64_t{4} << 20;
// Pieces are about this large, and at least this many a thread, so that the threads finish at
// nearly the same time and joining a piece overlaps with parsing the next ones.
constexpr std::uint64_t kPieceBytes = std::uint64_t{1} << 20;
constexpr std::uint64_t kPiecesPerThread = 4;
constexpr unsigned kDefaultMaxThreads = 8;  // joining is one thread's work: more would wait on it
constexpr unsigned kMaxThreads = 64;
// Pieces parsed ahead of the join, a thread; their blocks wait in memory until joined.
constexpr std::uint64_t kWindowPerThread = 4;

std::string ReadFailure(const char* what, const char* path, platform::ErrorCode error) {
    return std::string(what) + " " + format::QuotedExcerpt(path ? path : "") + ": " +
           platform::ErrorText(error);
}

}  // namespace

// Makes blocks and rows out of lines, for the collection that `owner` belongs to, from the pools
// of `pools`.
// On a worker thread those are the worker's own, and nothing here touches the collection.
class BlocksFileLoader::Parser {
  public:
    Parser(BlockStorage& owner, BlockStorage& pools) noexcept : m_owner(owner), m_pools(pools) {}

    // What every line of a load goes through, whichever thread reads it: `line` is trimmed
    // (format::TrimLine) and of `kind`. A definition line's fields are split and counted here;
    // `define(message)` then makes its block, or returns its rejection. 0, or the line's rejection
    // with `message` set.
    template <typename Define>
    int Line(std::string_view line, format::LineKind kind, std::string& message, Define&& define) {
        switch (kind) {
            case format::LineKind::kEmpty:
            case format::LineKind::kComment:
                return 0;
            case format::LineKind::kMapping:
                return Mapping(line, message);
            case format::LineKind::kDefinition:
                break;
        }
        format::SplitFields(format::StripRecordEnds(line), m_fields);
        // Counted before the ID is looked at, and a line with no field at all is just too short.
        if (m_fields.size() < format::kDefinitionFieldCount) {
            message = format::FieldCountMessage(kind, m_fields.size());
            return static_cast<int>(LoadResult::kDefinitionTooShort);
        }
        m_skipped = m_fields.size() > format::kDefinitionFieldCount;
        return define(message);
    }

    // The ID of the definition line just read.
    std::string_view DefinedID() const noexcept { return m_fields[0]; }
    // The block of the definition line just read, not yet in the collection; the mapping lines
    // that follow go to it.
    CReuseBlock* MakeBlock() {
        CReuseBlock* block = ::new (m_pools.blocks.Allocate()) CReuseBlock(m_owner);
        try {
            for (std::size_t index = 0; index < format::kDefinitionFieldCount; ++index) {
                block->m_properties[index] = m_fields[index];
            }
        } catch (...) {
            block->~CReuseBlock();
            m_pools.blocks.Release(block);
            throw;
        }
        m_current = block;
        return block;
    }
    // A block from MakeBlock that never entered the collection and has no rows yet.
    void Discard(CReuseBlock* block) noexcept {
        if (block == m_current) m_current = nullptr;
        block->~CReuseBlock();
        m_pools.blocks.Release(block);
    }
    // Mapping lines attach only to blocks defined after this, in the same piece of the file.
    void Restart() noexcept { m_current = nullptr; }
    // Whether the line just read held text that the load passes over: a mapping line before the
    // first definition, or fields beyond those its record takes. Cleared by asking.
    bool TakeSkipped() noexcept { return std::exchange(m_skipped, false); }

  private:
    // Adds the row of a mapping line to the current block: 0, or its rejection with `message`.
    int Mapping(std::string_view line, std::string& message) {
        if (!m_current) {  // before the first definition line of the file: ignored whole
            m_skipped = true;
            return 0;
        }
        format::SplitFields(format::StripRecordEnds(line), m_fields);
        // The first field, the keyword's place, is not compared with anything.
        const std::string_view current = m_current->GetBlockID().GetView();
        if (m_fields.size() >= 2 && m_fields[1] != current) {
            message = format::ForeignMappingMessage(m_fields[1], current);
            return static_cast<int>(LoadResult::kForeignMapping);
        }
        if (m_fields.size() < format::kMappingFieldCount) {
            message = format::FieldCountMessage(format::LineKind::kMapping, m_fields.size());
            return static_cast<int>(LoadResult::kMappingTooShort);
        }
        m_skipped = m_fields.size() > format::kMappingFieldCount;
        std::vector<CReuseBlock::LayerMap*>& rows = m_current->m_layerMaps;
        // Row indexes are 32-bit; more rows than they can address count as running out of memory.
        if (rows.size() >= std::numeric_limits<std::uint32_t>::max()) throw std::bad_alloc();
        // Blocks typically carry up to eight rows: one allocation for them rather than 1, 2, 4.
        if (rows.empty()) rows.reserve(8);
        // Filled before the block has it, so that running out of memory adds no half row.
        CReuseBlock::LayerMap* row = m_pools.rows.New();
        try {
            for (std::size_t column = 0; column < row->columns.size(); ++column) {
                row->columns[column] = m_fields[2 + column];
            }
            rows.push_back(row);
        } catch (...) {
            row->~LayerMap();
            m_pools.rows.Release(row);
            throw;
        }
        return 0;
    }

    BlockStorage& m_owner;
    BlockStorage& m_pools;
    // The block of the latest definition line; never one held before the load.
    CReuseBlock* m_current = nullptr;
    std::vector<std::string_view> m_fields;
    bool m_skipped = false;
};

// Where the lines come from: an open file, or a text in memory that stands for one.
class BlocksFileLoader::Source {
  public:
    Source(platform::FileReader& file, const char* path) noexcept : m_file(&file), m_path(path) {}
    explicit Source(std::string_view text) noexcept : m_text(text) {}

    // From the start, or from `offset` (a file then shared between threads).
    LineReader Reader() const {
        if (m_file) return LineReader(*m_file);
        return LineReader(m_text);
    }
    LineReader ReaderAt(std::uint64_t offset) const {
        if (m_file) return LineReader(*m_file, offset);
        return LineReader(m_text, offset);
    }
    std::string ReadFailure(platform::ErrorCode error) const {
        return reuseblocks::detail::ReadFailure("cannot read", m_path, error);
    }

  private:
    platform::FileReader* m_file = nullptr;
    const char* m_path = nullptr;
    std::string_view m_text;
};

int BlocksFileLoader::Load(const char* path, LoadReport* report, const LoadOptions& options) {
    m_report = report;
    if (report) *report = LoadReport{};
    platform::FileReader file;
    if (const platform::ErrorCode error = file.Open(path)) {
        return Reject(LoadResult::kCannotRead, ReadFailure("cannot open", path, error));
    }
    // Only a regular file can be read in pieces: pipes and devices go from start to end.
    std::uint64_t size = 0;
    const bool sized = options.threads != 1 && file.RegularFileSize(size);
    return LoadFrom(Source(file, path), size, sized, options);
}

int BlocksFileLoader::LoadText(std::string_view text, LoadReport* report,
                               const LoadOptions& options) {
    m_report = report;
    if (report) *report = LoadReport{};
    return LoadFrom(Source(text), text.size(), true, options);
}

int BlocksFileLoader::LoadFrom(const Source& source, std::uint64_t size, bool sized,
                               const LoadOptions& options) {
    if (!m_blocks.m_storage) m_blocks.m_storage = std::make_unique<BlockStorage>();
    unsigned threads = 1;
    if (options.threads != 1 && sized) {
        if (options.threads != 0) {
            threads = std::min(options.threads, kMaxThreads);
        } else if (size >= kParallelFrom) {
            threads = std::min(platform::UsableProcessors(), kDefaultMaxThreads);
        }
    }
    if (threads > 1 && size > 1) return LoadInPieces(source, size, threads);
    return LoadOnThisThread(source);
}

int BlocksFileLoader::LoadOnThisThread(const Source& source) {
    BlockStorage& storage = *m_blocks.m_storage;
    BlockIndex& index = storage.index;
    Parser parser(storage, storage);
    LineReader reader = source.Reader();
    std::string message;
    std::string_view line;
    // Looked up before the block is made, so that a held ID costs nothing.
    const auto define = [&parser, &index](std::string& rejection) {
        const std::string_view id = parser.DefinedID();
        const std::uint32_t hash = index.Hash(id);
        if (index.Find(id, hash)) {
            rejection = format::DuplicateIDMessage(id);
            return static_cast<int>(LoadResult::kDuplicateBlockID);
        }
        CReuseBlock* block = parser.MakeBlock();
        try {
            index.Add(block->GetBlockID().GetView(), hash, block);
        } catch (...) {
            parser.Discard(block);  // never entered the collection
            throw;
        }
        return 0;
    };
    while (reader.ReadLine(line)) {
        line = format::TrimLine(line);
        const int result = parser.Line(line, format::ClassifyLine(line), message, define);
        if (result != 0) {
            return RejectAt(reader.LineNumber(), static_cast<LoadResult>(result),
                            std::move(message));
        }
        if (parser.TakeSkipped()) NoteSkipped(reader.LineNumber());
    }
    if (reader.Error() != 0) {
        return Reject(LoadResult::kCannotRead, source.ReadFailure(reader.Error()));
    }
    return 0;
}

// What parsing one piece of the file gave, waiting to be joined.
struct BlocksFileLoader::Piece {
    struct Block {
        CReuseBlock* block;
        std::uint32_t hash;  // of its ID
        unsigned long line;  // of its definition, counted from the piece's first line
    };
    // In file order.
    std::vector<Block> blocks;
    // How many of them the collection took; the others are destroyed when the load ends.
    std::size_t joined = 0;
    // 0 when the piece was parsed to its end; otherwise the rejection of `line`, or kCannotRead.
    int code = 0;
    unsigned long line = 0;
    std::string message;
    // Thrown while reading the line after the last of `blocks` (and after their rows).
    std::exception_ptr error;
    // Lines of the piece read so far, all of them once it is parsed to its end.
    unsigned long lines = 0;
    // The first line, counted as `line` is, whose text the load passes over; 0: none.
    unsigned long skipped = 0;

    void Reset() noexcept {
        blocks.clear();
        joined = 0;
        code = 0;
        line = 0;
        message.clear();
        error = nullptr;
        lines = 0;
        skipped = 0;
    }
};

// The file cut into pieces at line boundaries, parsed side by side by the calling thread and the
// workers, and joined in file order by the calling thread alone, which alone touches the
// collection. Each piece but the first starts with a definition line: the first one that starts
// at or after its nominal offset. The piece before runs up to that line, so a mapping line always
// lies in the piece of the block it belongs to. Every piece finds its start on its own, looking
// no further than the next piece's nominal offset: each byte is read by at most two threads.
class BlocksFileLoader::ParallelLoad {
  public:
    ParallelLoad(BlocksFileLoader& loader, const Source& source, std::uint64_t size,
                 std::uint64_t pieces, unsigned threads)
        : m_loader(loader),
          m_storage(*loader.m_blocks.m_storage),
          m_source(source),
          m_size(size),
          m_pieces(pieces),
          m_window(std::min<std::uint64_t>(pieces, kWindowPerThread * threads)),
          m_threads(threads),
          m_slots(static_cast<std::size_t>(m_window)),
          m_done(static_cast<std::size_t>(m_window), false) {}

    int Run() {
        std::exception_ptr failure;
        int result = 0;
        std::unique_ptr<BlockStorage[]> pools(new BlockStorage[m_threads - 1]);
        std::vector<std::thread> workers;
        workers.reserve(m_threads - 1);
        try {
            for (unsigned worker = 0; worker + 1 < m_threads; ++worker) {
                try {
                    workers.emplace_back([this, &pools, worker] { Work(pools[worker]); });
                } catch (const std::system_error&) {
                    break;  // the system has no thread to spare: fewer do the work
                }
            }
            result = JoinPieces();
        } catch (...) {
            failure = std::current_exception();
        }
        {
            const std::lock_guard<std::mutex> lock(m_mutex);
            m_stopped = true;
        }
        m_abandon.store(true, std::memory_order_relaxed);
        m_wake.notify_all();
        for (std::thread& worker : workers) worker.join();

        // The workers' blocks are the collection's memory now, joined or not; those not joined
        // go back to it.
        for (unsigned worker = 0; worker + 1 < m_threads; ++worker) m_storage.Adopt(pools[worker]);
        for (Piece& piece : m_slots) {
            for (std::size_t i = piece.joined; i < piece.blocks.size(); ++i) {
                m_loader.m_blocks.DestroyBlock(piece.blocks[i].block);
            }
        }
        if (failure) std::rethrow_exception(failure);
        return result;
    }

  private:
    // The nominal start of `piece`: pieces are as equal in size as whole bytes allow.
    std::uint64_t NominalStart(std::uint64_t piece) const noexcept {
        const std::uint64_t whole = m_size / m_pieces;
        const std::uint64_t rest = m_size % m_pieces;
        return piece * whole + piece * rest / m_pieces;
    }
    Piece& SlotOf(std::uint64_t piece) noexcept {
        return m_slots[static_cast<std::size_t>(piece % m_window)];
    }
    // Under the lock: a piece that may be parsed now, whose slot has been joined.
    bool PieceReady() const noexcept { return m_next < m_pieces && m_next < m_joined + m_window; }

    void Work(BlockStorage& pools) noexcept {
        Parser parser(m_storage, pools);
        std::unique_lock<std::mutex> lock(m_mutex);
        for (;;) {
            m_wake.wait(lock, [this] { return m_stopped || m_next >= m_pieces || PieceReady(); });
            if (m_stopped || m_next >= m_pieces) return;
            ParseNext(parser, lock);
        }
    }

    // Takes the next piece, parses it without the lock, and marks it done.
    void ParseNext(Parser& parser, std::unique_lock<std::mutex>& lock) noexcept {
        const std::uint64_t piece = m_next++;
        lock.unlock();
        Parse(piece, SlotOf(piece), parser);
        lock.lock();
        m_done[static_cast<std::size_t>(piece % m_window)] = true;
        m_joinable.notify_one();
    }

    // The calling thread: joins every piece in order as soon as it is parsed, parses pieces
    // itself while the next one to join is not ready. The first rejection ends the load.
    int JoinPieces() {
        Parser parser(m_storage, m_storage);
        std::unique_lock<std::mutex> lock(m_mutex);
        while (m_joined < m_pieces) {
            const std::size_t slot = static_cast<std::size_t>(m_joined % m_window);
            if (m_done[slot]) {
                lock.unlock();
                const int result = Join(m_slots[slot]);
                lock.lock();
                if (result != 0) return result;
                m_slots[slot].Reset();
                m_done[slot] = false;
                ++m_joined;
                m_wake.notify_all();
            } else if (PieceReady()) {
                ParseNext(parser, lock);
            } else {
                m_joinable.wait(lock);
            }
        }
        return 0;
    }

    // Adds the blocks of the next piece to the collection, in order: 0, or the code that ends
    // the load. Throws what the piece's parsing threw, or std::bad_alloc.
    int Join(Piece& piece) {
        BlockIndex& index = m_storage.index;
        constexpr std::size_t kAhead = 8;  // the slots to come, fetched while these are added
        const std::size_t count = piece.blocks.size();
        for (std::size_t i = 0; i < count; ++i) {
            if (i + kAhead < count) index.Prefetch(piece.blocks[i + kAhead].hash);
            const Piece::Block& block = piece.blocks[i];
            const std::string_view id = block.block->GetBlockID().GetView();
            if (!index.Add(id, block.hash, block.block)) {
                if (piece.skipped != 0 && piece.skipped < block.line) {
                    m_loader.NoteSkipped(m_lineBase + piece.skipped);
                }
                return m_loader.RejectAt(m_lineBase + block.line, LoadResult::kDuplicateBlockID,
                                         format::DuplicateIDMessage(id));
            }
            piece.joined = i + 1;
        }
        if (piece.skipped != 0) m_loader.NoteSkipped(m_lineBase + piece.skipped);
        if (piece.error) std::rethrow_exception(piece.error);
        if (piece.code == static_cast<int>(LoadResult::kCannotRead)) {
            return m_loader.Reject(LoadResult::kCannotRead, std::move(piece.message));
        }
        if (piece.code != 0) {
            return m_loader.RejectAt(m_lineBase + piece.line, static_cast<LoadResult>(piece.code),
                                     std::move(piece.message));
        }
        m_lineBase += piece.lines;
        return 0;
    }

    void Parse(std::uint64_t piece, Piece& out, Parser& parser) noexcept {
        out.Reset();
        parser.Restart();
        try {
            ParseLines(piece, out, parser);
        } catch (...) {
            out.error = std::current_exception();
        }
    }

    void ParseLines(std::uint64_t piece, Piece& out, Parser& parser) {
        const std::uint64_t start = NominalStart(piece);
        const std::uint64_t end = piece + 1 < m_pieces ? NominalStart(piece + 1)
                                                       : std::numeric_limits<std::uint64_t>::max();
        // A piece after the first starts with a line, found after the line feed before it.
        LineReader reader = m_source.ReaderAt(piece == 0 ? 0 : start - 1);
        bool started = piece == 0;
        if (started || reader.SkipPastLineFeed(end)) {
            // Room first, so that the block never exists outside the piece.
            const auto define = [&out, &parser, this](std::string&) {
                out.blocks.push_back(Piece::Block{nullptr, 0, out.lines});
                try {
                    out.blocks.back().block = parser.MakeBlock();
                } catch (...) {
                    out.blocks.pop_back();
                    throw;
                }
                out.blocks.back().hash = m_storage.index.Hash(parser.DefinedID());
                return 0;
            };
            std::string_view line;
            while (reader.ReadLine(line)) {
                const std::uint64_t offset = reader.LineOffset();
                line = format::TrimLine(line);
                const format::LineKind kind = format::ClassifyLine(line);
                const bool definition = kind == format::LineKind::kDefinition;
                if (!started) {
                    if (offset >= end) return;  // no definition line starts here: an empty piece
                    if (!definition) continue;  // the piece before has it
                    started = true;
                } else if (offset >= end && definition) {
                    return;  // the first line of a later piece
                }
                ++out.lines;
                // A rejection elsewhere makes the rest of this piece useless.
                if (out.lines % 1024 == 0 && m_abandon.load(std::memory_order_relaxed)) return;
                const int result = parser.Line(line, kind, out.message, define);
                if (result != 0) {
                    out.code = result;
                    out.line = out.lines;
                    return;
                }
                if (parser.TakeSkipped() && out.skipped == 0) out.skipped = out.lines;
            }
        }
        if (reader.Error() != 0) {
            out.code = static_cast<int>(LoadResult::kCannotRead);
            out.message = m_source.ReadFailure(reader.Error());
        }
    }

    BlocksFileLoader& m_loader;
    BlockStorage& m_storage;
    const Source& m_source;
    const std::uint64_t m_size;
    const std::uint64_t m_pieces;
    const std::uint64_t m_window;
    const unsigned m_threads;
    // Piece p is parsed into slot p % m_window once piece p - m_window has been joined.
    std::vector<Piece> m_slots;
    unsigned long m_lineBase = 0;  // lines of the pieces joined so far

    std::mutex m_mutex;
    std::condition_variable m_wake;      // for the workers: a piece may be parsed, or stop
    std::condition_variable m_joinable;  // for the calling thread: a piece is parsed
    // Guarded by m_mutex.
    std::uint64_t m_next = 0;    // the next piece to parse
    std::uint64_t m_joined = 0;  // pieces joined
    std::vector<bool> m_done;    // by slot: parsed and not yet joined
    bool m_stopped = false;
    // Read without the lock by threads in the middle of a piece.
    std::atomic<bool> m_abandon{false};
};

int BlocksFileLoader::LoadInPieces(const Source& source, std::uint64_t size, unsigned threads) {
    // Tiny pieces are allowed when the caller asked for threads: that is how the joints get
    // tested. Otherwise pieces are about kPieceBytes long.
    std::uint64_t pieces =
        std::max<std::uint64_t>(threads * kPiecesPerThread, (size + kPieceBytes - 1) / kPieceBytes);
    pieces = std::min(pieces, size);
    threads = static_cast<unsigned>(std::min<std::uint64_t>(threads, pieces));
    return ParallelLoad(*this, source, size, pieces, threads).Run();
}

int BlocksFileLoader::Reject(LoadResult result, std::string message) {
    if (m_report) {
        m_report->result = static_cast<int>(result);
        m_report->message = std::move(message);
    }
    return static_cast<int>(result);
}

void BlocksFileLoader::NoteSkipped(unsigned long line) noexcept {
    if (m_skipped && m_skipped->firstLine == 0) m_skipped->firstLine = line;
}

int BlocksFileLoader::RejectAt(unsigned long line, LoadResult result, std::string message) {
    if (m_report) m_report->line = line;
    return Reject(result, std::move(message));
}

}  // namespace reuseblocks::detail

int CReuseBlockFile::LoadFile(const char* path) {
    return reuseblocks::detail::BlocksFileLoader(*this).Load(path, nullptr);
}

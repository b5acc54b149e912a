#include "editor/GlyphRunCache.h"

#include <functional>

size_t CGlyphRunCache::HashOf(const void* state, std::u16string_view text) noexcept {
    return std::hash<std::u16string_view>{}(text)*31 + std::hash<const void*>{}(state);
}

const CGlyphRunCache::Run* CGlyphRunCache::Find(const void* state, std::u16string_view text) {
    const auto found = m_map.find(HashOf(state, text));
    if (found == m_map.end()) return nullptr;
    const Order::iterator entry = found->second;
    if (entry->state != state || entry->text != text) return nullptr;
    m_order.splice(m_order.begin(), m_order, entry);
    return &entry->run;
}

void CGlyphRunCache::Erase(Order::iterator entry) {
    m_bytes -= entry->run.image.sizeInBytes();
    m_map.erase(entry->hash);
    m_order.erase(entry);
}

void CGlyphRunCache::Insert(const void* state, std::u16string_view text, Run run) {
    const size_t hash = HashOf(state, text);
    const auto found = m_map.find(hash);
    if (found != m_map.end()) Erase(found->second);
    const int64_t bytes = run.image.sizeInBytes();
    if (bytes > m_byteBudget || m_maxRuns == 0) return;
    while (!m_order.empty() && (m_bytes + bytes > m_byteBudget || m_order.size() >= m_maxRuns))
        Erase(std::prev(m_order.end()));
    m_order.push_front({hash, state, std::u16string(text), std::move(run)});
    m_map.emplace(hash, m_order.begin());
    m_bytes += bytes;
}

bool CGlyphRunCache::SeenTwiceBefore(const void* state, std::u16string_view text) {
    // Bounded: a row seen long ago is as good as new.
    return m_seen.Note(HashOf(state, text)) >= 2;
}

void CGlyphRunCache::Clear() noexcept {
    m_seen.Clear();
    m_map.clear();
    m_order.clear();
    m_bytes = 0;
}

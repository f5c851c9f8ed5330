// A custom-media list as the custom-media name item holds it: one OPTPARAM per medium, whose
// lParam points to the medium's record. Shared by the writers' tests and fuzz harness.
#pragma once

#include <algorithm>
#include <deque>
#include <string>
#include <vector>

#include "cmswriter.h"

class MediaList {
public:
    MediaList& Add(const std::u16string& name, LONG width, LONG height, BYTE flags = 0) {
        CustomMediaRecord& record = m_records.emplace_back();
        record = {};
        std::copy_n(name.begin(), std::min<size_t>(name.size(), CMS_NAME_CHARS - 1), record.m_name);
        record.m_form.pName = record.m_name;
        record.m_form.Size = {width, height};
        record.m_form.ImageableArea = {0, 0, width, height};
        OPTPARAM option{};
        option.cbSize = sizeof option;
        option.Flags = flags;
        option.pData = record.m_name;
        option.lParam = reinterpret_cast<LPARAM>(&record);
        m_options.push_back(option);
        return *this;
    }
    const CustomMediaList* list() {
        m_list = {};
        m_list.cbSize = sizeof m_list;
        m_list.Count = static_cast<WORD>(m_options.size());
        m_list.pOptParam = m_options.data();
        return &m_list;
    }

private:
    std::deque<CustomMediaRecord> m_records;
    std::vector<OPTPARAM> m_options;
    CustomMediaList m_list{};
};

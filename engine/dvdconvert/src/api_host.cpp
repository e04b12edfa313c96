// SPDX-License-Identifier: GPL-3.0-or-later
// The instance table behind every handle, and pictures.
#include "instance.h"
#include "disc.h"
#include "log.h"
#include "preview.h"

#include <algorithm>
#include <cstdlib>
#include <map>

namespace dvdc {

namespace {

// Handles are never reused while the process lives, so a stale handle can
// never reach a newer instance.
std::mutex g_tableMutex;
std::map<DCHandle, std::unique_ptr<Instance>> g_instances;
DCHandle g_nextHandle = 1;

// An index as the user counts, from 1; any int the host passed.
std::string Counted(int index) { return std::to_string(int64_t(index) + 1); }

} // namespace

const TitleCatalogue *Instance::Title(int title, std::string &error) const
{
    if (!disc)
        error = "no disc is open";
    else if (title < 0 || size_t(title) >= titles.size())
        error = "title " + Counted(title) + " does not exist";
    else
        return &titles[size_t(title)];
    return nullptr;
}

const TitleCatalogue *Instance::Range(int title, int firstChapter, int lastChapter, int angle,
                                      std::string &error) const
{
    const TitleCatalogue *t = Title(title, error);
    if (!t)
        return nullptr;
    const int chapters = int(t->chapterTimes.size());
    if (firstChapter < 0 || lastChapter < firstChapter || lastChapter >= chapters)
        error = "chapters " + Counted(firstChapter) + " to " + Counted(lastChapter) +
                " are outside title " + Counted(title) + "'s " + std::to_string(chapters);
    else if (angle < 0 || angle >= std::max(1, t->angleCount))
        error = "angle " + Counted(angle) + " does not exist in title " + Counted(title);
    else
        return t;
    return nullptr;
}

void Instance::SetLastError(const std::string &reason)
{
    {
        std::lock_guard lock(errorMutex);
        lastError = reason;
    }
    Log(0, "%s", reason.c_str());
}

void Instance::ClearLastError()
{
    std::lock_guard lock(errorMutex);
    lastError.clear();
}

// The conversion side goes first: its threads may still read the disc.
Instance::~Instance()
{
    convert.reset();
    preview.reset();
    disc.reset();
}

Instance *FindInstance(DCHandle h)
{
    if (h == 0)
        return nullptr;
    std::lock_guard lock(g_tableMutex);
    auto it = g_instances.find(h);
    return it == g_instances.end() ? nullptr : it->second.get();
}

} // namespace dvdc

extern "C" {

DVDCONVERT_API void Converter_FreePicture(DCPicture *picture) { std::free(picture); }

DVDCONVERT_API DCHandle CreateConverter(void)
{
    auto instance = std::make_unique<dvdc::Instance>();
    std::lock_guard lock(dvdc::g_tableMutex);
    DCHandle h = dvdc::g_nextHandle++;
    if (dvdc::g_nextHandle == 0)
        dvdc::g_nextHandle = 1;
    instance->handle = h;
    dvdc::g_instances.emplace(h, std::move(instance));
    return h;
}

DVDCONVERT_API void CloseConverter(DCHandle h)
{
    std::unique_ptr<dvdc::Instance> instance;
    {
        std::lock_guard lock(dvdc::g_tableMutex);
        auto it = dvdc::g_instances.find(h);
        if (it == dvdc::g_instances.end())
            return;
        instance = std::move(it->second);
        dvdc::g_instances.erase(it);
    }
    // Released outside the table lock: joining conversion threads may take a while.
    instance.reset();
}

DVDCONVERT_API const char *Converter_GetLastError(DCHandle h)
{
    dvdc::Instance *in = dvdc::FindInstance(h);
    if (!in)
        return "";
    std::lock_guard lock(in->errorMutex);
    in->lastErrorCopy = in->lastError;
    return in->lastErrorCopy.c_str();
}

} // extern "C"

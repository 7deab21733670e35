#include "scanlink2/ScanDevice.h"

#include "scanlink2/SaneSession.h"

#include <sane/sane.h>
#include <sane/saneopts.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace {

constexpr double kMmPerInch = 25.4;

std::string lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    return text;
}

struct Option {
    SANE_Int index = -1;
    const SANE_Option_Descriptor* desc = nullptr;
    explicit operator bool() const { return desc != nullptr; }
};

// Looked up afresh on each use: setting one option may change the others' descriptors.
Option findOption(SANE_Handle handle, const char* name)
{
    for (SANE_Int i = 1;; ++i) {
        const SANE_Option_Descriptor* desc = sane_get_option_descriptor(handle, i);
        if (!desc)
            return {};
        if (desc->name && std::strcmp(desc->name, name) == 0)
            return {i, desc};
    }
}

bool usable(const Option& option)
{
    return option && SANE_OPTION_IS_ACTIVE(option.desc->cap) && SANE_OPTION_IS_SETTABLE(option.desc->cap);
}

std::vector<std::string> stringList(const Option& option)
{
    std::vector<std::string> list;
    if (option && option.desc->constraint_type == SANE_CONSTRAINT_STRING_LIST)
        for (const SANE_String_Const* s = option.desc->constraint.string_list; *s; ++s)
            list.emplace_back(*s);
    return list;
}

double toDouble(const SANE_Option_Descriptor* desc, SANE_Word word)
{
    return desc->type == SANE_TYPE_FIXED ? SANE_UNFIX(word) : double(word);
}

SANE_Word toWord(const SANE_Option_Descriptor* desc, double value)
{
    return desc->type == SANE_TYPE_FIXED ? SANE_FIX(value) : SANE_Word(std::lround(value));
}

std::vector<double> wordList(const Option& option)
{
    std::vector<double> list;
    if (option && option.desc->constraint_type == SANE_CONSTRAINT_WORD_LIST) {
        const SANE_Word* words = option.desc->constraint.word_list;
        for (SANE_Word i = 1; i <= words[0]; ++i)
            list.push_back(toDouble(option.desc, words[i]));
    }
    return list;
}

// The value the device accepts nearest to value: within its range and step, or the nearest
// entry of its list.
SANE_Word nearestAllowed(const SANE_Option_Descriptor* desc, double value)
{
    if (desc->constraint_type == SANE_CONSTRAINT_RANGE) {
        const SANE_Range* range = desc->constraint.range;
        const double low = toDouble(desc, range->min);
        const double high = toDouble(desc, range->max);
        value = std::clamp(value, low, high);
        const double step = toDouble(desc, range->quant);
        if (step > 0)
            value = std::min(high, low + std::round((value - low) / step) * step);
    } else if (desc->constraint_type == SANE_CONSTRAINT_WORD_LIST) {
        const SANE_Word* words = desc->constraint.word_list;
        double best = value;
        double bestDistance = -1;
        for (SANE_Word i = 1; i <= words[0]; ++i) {
            const double candidate = toDouble(desc, words[i]);
            if (bestDistance < 0 || std::abs(candidate - value) < bestDistance) {
                best = candidate;
                bestDistance = std::abs(candidate - value);
            }
        }
        value = best;
    }
    return toWord(desc, value);
}

SANE_Status setWords(SANE_Handle handle, const Option& option, SANE_Word word)
{
    // Array options (one value per colour) take the same value in every element.
    std::vector<SANE_Word> words(std::max<size_t>(1, size_t(option.desc->size) / sizeof(SANE_Word)), word);
    return sane_control_option(handle, option.index, SANE_ACTION_SET_VALUE, words.data(), nullptr);
}

SANE_Status setNumber(SANE_Handle handle, const char* name, double value)
{
    const Option option = findOption(handle, name);
    if (!usable(option) || (option.desc->type != SANE_TYPE_INT && option.desc->type != SANE_TYPE_FIXED))
        return SANE_STATUS_GOOD;
    return setWords(handle, option, nearestAllowed(option.desc, value));
}

SANE_Status setString(SANE_Handle handle, const char* name, const std::string& value)
{
    const Option option = findOption(handle, name);
    if (!usable(option) || option.desc->type != SANE_TYPE_STRING)
        return SANE_STATUS_GOOD;
    std::vector<char> buffer(std::max<size_t>(size_t(option.desc->size), value.size() + 1), '\0');
    std::memcpy(buffer.data(), value.c_str(), value.size());
    return sane_control_option(handle, option.index, SANE_ACTION_SET_VALUE, buffer.data(), nullptr);
}

// Any option by its text value; used for the device's own options.
SANE_Status setText(SANE_Handle handle, const std::string& name, const std::string& value)
{
    const Option option = findOption(handle, name.c_str());
    if (!option)
        return SANE_STATUS_INVAL;
    // Options that belong to another mode are left alone.
    if (!usable(option))
        return SANE_STATUS_GOOD;
    switch (option.desc->type) {
    case SANE_TYPE_BOOL: {
        const std::string v = lower(value);
        SANE_Bool flag = v == "yes" || v == "true" || v == "1" ? SANE_TRUE : SANE_FALSE;
        return sane_control_option(handle, option.index, SANE_ACTION_SET_VALUE, &flag, nullptr);
    }
    case SANE_TYPE_INT:
    case SANE_TYPE_FIXED:
        return setWords(handle, option, nearestAllowed(option.desc, std::strtod(value.c_str(), nullptr)));
    case SANE_TYPE_STRING:
        return setString(handle, name.c_str(), value);
    default:
        return SANE_STATUS_INVAL;
    }
}

// The device's word for a mode: the standard one, else a common spelling.
std::string modeWord(const std::vector<std::string>& modes, ScanMode mode)
{
    static const std::vector<std::vector<std::string>> spellings = {
        {SANE_VALUE_SCAN_MODE_COLOR, "color", "colour", "24bit color"},
        {SANE_VALUE_SCAN_MODE_GRAY, "gray", "grey", "grayscale", "greyscale"},
        {SANE_VALUE_SCAN_MODE_LINEART, "lineart", "line art", "binary", "black & white"},
    };
    for (const std::string& spelling : spellings[size_t(mode)])
        for (const std::string& word : modes)
            if (lower(word) == lower(spelling))
                return word;
    return {};
}

bool depthOffered(SANE_Handle handle, int depth)
{
    const std::vector<double> depths = wordList(findOption(handle, SANE_NAME_BIT_DEPTH));
    return std::find(depths.begin(), depths.end(), double(depth)) != depths.end();
}

// Line art on a device without a line-art mode: grey at one bit per sample.
bool lineArtByDepth(SANE_Handle handle, const std::vector<std::string>& modes)
{
    return modeWord(modes, ScanMode::LineArt).empty() && !modeWord(modes, ScanMode::Gray).empty() &&
           depthOffered(handle, 1);
}

double maxOf(const Option& option)
{
    if (!option || option.desc->constraint_type != SANE_CONSTRAINT_RANGE)
        return 0;
    return toDouble(option.desc, option.desc->constraint.range->max);
}

// Millimetres in the unit of an area option (some devices count the area in pixels).
double inUnitOf(const Option& option, double mm, double resolution)
{
    return option && option.desc->unit == SANE_UNIT_PIXEL ? mm / kMmPerInch * resolution : mm;
}

}  // namespace

std::unique_ptr<ScanDevice> ScanDevice::open(const std::string& name, int& status)
{
    if (!saneStarted()) {
        status = SANE_STATUS_IO_ERROR;
        return nullptr;
    }
    std::lock_guard guard(saneCallLock());
    SANE_Handle handle = nullptr;
    status = sane_open(name.c_str(), &handle);
    if (status != SANE_STATUS_GOOD || !handle)
        return nullptr;
    return std::unique_ptr<ScanDevice>(new ScanDevice(name, handle));
}

ScanDevice::~ScanDevice()
{
    std::lock_guard guard(saneCallLock());
    sane_close(handle_);
}

ScanCapabilities ScanDevice::capabilities() const
{
    ScanCapabilities caps;
    const std::vector<std::string> modes = stringList(findOption(handle_, SANE_NAME_SCAN_MODE));
    for (ScanMode mode : {ScanMode::Color, ScanMode::Gray, ScanMode::LineArt})
        if (!modeWord(modes, mode).empty() || (mode == ScanMode::LineArt && lineArtByDepth(handle_, modes)))
            caps.modes.push_back(mode);

    const Option resolution = findOption(handle_, SANE_NAME_SCAN_RESOLUTION);
    caps.resolutions = wordList(resolution);
    if (resolution && resolution.desc->constraint_type == SANE_CONSTRAINT_RANGE) {
        caps.minResolution = toDouble(resolution.desc, resolution.desc->constraint.range->min);
        caps.maxResolution = toDouble(resolution.desc, resolution.desc->constraint.range->max);
    }
    const Option source = findOption(handle_, SANE_NAME_SCAN_SOURCE);
    if (usable(source))
        caps.sources = stringList(source);

    const Option right = findOption(handle_, SANE_NAME_SCAN_BR_X);
    const Option bottom = findOption(handle_, SANE_NAME_SCAN_BR_Y);
    if (right && right.desc->unit == SANE_UNIT_MM)
        caps.maxWidthMm = maxOf(right);
    if (bottom && bottom.desc->unit == SANE_UNIT_MM)
        caps.maxHeightMm = maxOf(bottom);
    return caps;
}

int ScanDevice::apply(const ScanSettings& settings)
{
    // Source first: a document feeder may reach another area than the glass. Mode before depth
    // and resolution, which some devices offer per mode. The area last, in the resolution's
    // pixels where the device counts it so.
    SANE_Status status = SANE_STATUS_GOOD;
    auto keep = [&status](SANE_Status result) {
        if (status == SANE_STATUS_GOOD && result != SANE_STATUS_GOOD)
            status = result;
    };
    if (!settings.source.empty())
        keep(setString(handle_, SANE_NAME_SCAN_SOURCE, settings.source));

    const std::vector<std::string> modes = stringList(findOption(handle_, SANE_NAME_SCAN_MODE));
    std::string mode = modeWord(modes, settings.mode);
    const bool byDepth = settings.mode == ScanMode::LineArt && mode.empty() && lineArtByDepth(handle_, modes);
    if (byDepth)
        mode = modeWord(modes, ScanMode::Gray);
    if (!mode.empty())
        keep(setString(handle_, SANE_NAME_SCAN_MODE, mode));
    const int depth = settings.depth ? settings.depth : (byDepth ? 1 : 8);
    if (depthOffered(handle_, depth))
        keep(setNumber(handle_, SANE_NAME_BIT_DEPTH, depth));

    // The device's own options may depend on the mode and may switch the area options on or off.
    for (const auto& [name, value] : settings.deviceOptions)
        keep(setText(handle_, name, value));

    keep(setNumber(handle_, SANE_NAME_SCAN_RESOLUTION, settings.resolution));
    const double dpi = resolution() > 0 ? resolution() : settings.resolution;
    const struct {
        const char* name;
        double mm;
    } area[] = {
        {SANE_NAME_SCAN_TL_X, settings.leftMm},
        {SANE_NAME_SCAN_TL_Y, settings.topMm},
        {SANE_NAME_SCAN_BR_X, settings.leftMm + settings.widthMm},
        {SANE_NAME_SCAN_BR_Y, settings.topMm + settings.heightMm},
    };
    for (const auto& edge : area)
        keep(setNumber(handle_, edge.name, inUnitOf(findOption(handle_, edge.name), edge.mm, dpi)));

    return status;
}

double ScanDevice::resolution() const
{
    const Option option = findOption(handle_, SANE_NAME_SCAN_RESOLUTION);
    if (!option || !SANE_OPTION_IS_ACTIVE(option.desc->cap) || option.desc->size < SANE_Int(sizeof(SANE_Word)))
        return 0;
    std::vector<SANE_Word> words(size_t(option.desc->size) / sizeof(SANE_Word));
    if (sane_control_option(handle_, option.index, SANE_ACTION_GET_VALUE, words.data(), nullptr) != SANE_STATUS_GOOD)
        return 0;
    return toDouble(option.desc, words[0]);
}

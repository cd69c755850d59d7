#include "core/ParameterList.h"

#include <algorithm>
#include <cmath>
#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <type_traits>

#include "core/Desc.h"
#include "core/Drawable.h"
#include "core/Material.h"
#include "core/Poly.h"

namespace {

// Texts of numbers fit a buffer of this size ("%f" of the largest float needs 47).
constexpr int kNumberText = 80;
constexpr double kDegreesToRadians = 0.017453292;

[[gnu::format(printf, 1, 2)]] std::string format(const char* fmt, ...) {
    va_list args;
    va_start(args, fmt);
    va_list again;
    va_copy(again, args);
    const int length = std::vsnprintf(nullptr, 0, fmt, args);
    va_end(args);
    std::string out;
    if (length > 0) {
        out.resize(static_cast<size_t>(length) + 1);
        std::vsnprintf(out.data(), out.size(), fmt, again);
        out.resize(static_cast<size_t>(length));
    }
    va_end(again);
    return out;
}

std::string intText(int32_t v) {
    char buffer[kNumberText];
    std::snprintf(buffer, sizeof buffer, "%d", v);
    return buffer;
}

std::string floatText(float v) {
    char buffer[kNumberText];
    std::snprintf(buffer, sizeof buffer, "%f", static_cast<double>(v));
    return buffer;
}

std::string orEmpty(const char* s) { return s ? std::string(s) : std::string(); }

// The text without blanks around it.
std::string trimmed(const char* text) {
    std::string t = orEmpty(text);
    const size_t first = t.find_first_not_of(" \t\r\n");
    if (first == std::string::npos)
        return {};
    return t.substr(first, t.find_last_not_of(" \t\r\n") - first + 1);
}

std::string rangeText(const ValueRange& r) {
    return format("must be between %g and %g", r.min, r.max);
}

// Why text is no whole number within the range, or empty.
std::string wholeNumberRefusal(const char* text, const ValueRange& r) {
    const std::string t = trimmed(text);
    if (t.empty())
        return "no value";
    char* end = nullptr;
    errno = 0;
    const long long v = std::strtoll(t.c_str(), &end, 10);
    if (end == t.c_str() || *end)
        return "not a whole number";
    if (errno == ERANGE || static_cast<double>(v) < r.min || static_cast<double>(v) > r.max)
        return rangeText(r);
    return {};
}

// Why text is no finite number within the range, or empty. Floats are
// compared as the float the text is written as, against the range's ends
// as floats, so that every float a range holds is taken back.
std::string numberRefusal(const char* text, const ValueRange& r) {
    const std::string t = trimmed(text);
    if (t.empty())
        return "no value";
    char* end = nullptr;
    const float v = std::strtof(t.c_str(), &end);
    if (end == t.c_str() || *end)
        return "not a number";
    if (!std::isfinite(v))
        return "not a finite number";
    if (v < static_cast<float>(r.min) || v > static_cast<float>(r.max))
        return rangeText(r);
    return {};
}

template <class T>
std::string bytesOf(const T& value) {
    return std::string(reinterpret_cast<const char*>(&value), sizeof value);
}

template <class T>
void restoreBytes(const std::string& saved, T& value) {
    if (saved.size() == sizeof value)
        std::memcpy(&value, saved.data(), sizeof value);
}

// What the kind of number can hold, within the declared range.
template <class T>
ValueRange kindRange(ValueRange declared) {
    double low, high;
    if constexpr (std::is_same_v<T, float>) {
        low = -std::numeric_limits<float>::max();
        high = std::numeric_limits<float>::max();
    } else if constexpr (std::is_same_v<T, int32_t>) {
        low = std::numeric_limits<int32_t>::min();
        high = std::numeric_limits<int32_t>::max();
    } else {
        // A byte takes signed and unsigned spellings: "-1" is 255.
        low = -128;
        high = 255;
    }
    return {std::max(declared.min, low), std::min(declared.max, high)};
}

// What sscanf "%d" stores: strtol's long, narrowed to 32 bits. False when
// nothing converts.
bool scanInt(const char* text, int32_t& out) {
    if (!text)
        return false;
    char* end = nullptr;
    const long v = std::strtol(text, &end, 10);
    if (end == text)
        return false;
    out = static_cast<int32_t>(v);
    return true;
}

// What sscanf "%f" stores.
bool scanFloat(const char* text, float& out) {
    if (!text)
        return false;
    char* end = nullptr;
    const float v = std::strtof(text, &end);
    if (end == text)
        return false;
    out = v;
    return true;
}

// Numbers and choices among named values of one type. Without choices it is
// a plain number entry.
template <class T>
class ChoiceParameter : public Parameter {
public:
    ChoiceParameter(const char* const names[], int count, const T values[], T* target, ValueRange range = {})
        : range_(kindRange<T>(range)), held_(*target), target_(target) {
        if (count > 0 && names && values) {
            choiceNames_.reserve(static_cast<size_t>(count));
            values_.reserve(static_cast<size_t>(count));
            for (int i = 0; i < count; ++i) {
                choiceNames_.push_back(orEmpty(names[i]));
                values_.push_back(values[i]);
            }
        }
        // The first choice with the current value wins when several share it.
        for (size_t i = 0; i < values_.size(); ++i)
            if (values_[i] == *target_) {
                setText(choiceNames_[i]);
                return;
            }
        setText(numberText(*target_));
    }

    void parse(const char* text) override {
        if (text)
            for (size_t i = 0; i < choiceNames_.size(); ++i)
                if (choiceNames_[i] == text) {
                    *target_ = values_[i];
                    return;
                }
        scan(text);
    }

    std::string refusal(const char* text) const override {
        if (text)
            for (const std::string& name : choiceNames_)
                if (name == text)
                    return {};
        if constexpr (std::is_same_v<T, float>) {
            return numberRefusal(text, range_);
        } else {
            std::string why = wholeNumberRefusal(text, range_);
            if (!why.empty() || values_.empty())
                return why;
            // A kind is one of the listed ones (or the one generation chose);
            // another number names nothing the typology knows.
            T v{};
            scan(trimmed(text).c_str(), v);
            if (v == held_ || std::find(values_.begin(), values_.end(), v) != values_.end())
                return {};
            return "not one of the choices";
        }
    }
    bool range(ValueRange& range) const override {
        range = range_;
        return true;
    }
    std::string saveValue() const override { return bytesOf(*target_); }
    void restoreValue(const std::string& saved) override { restoreBytes(saved, *target_); }
    std::string valueText() const override {
        // A name stands for the value of the first choice so named, which
        // need not be this one when several share a name.
        for (size_t i = 0; i < values_.size(); ++i)
            if (values_[i] == *target_) {
                const size_t first = static_cast<size_t>(
                    std::find(choiceNames_.begin(), choiceNames_.end(), choiceNames_[i]) - choiceNames_.begin());
                if (values_[first] == *target_)
                    return choiceNames_[i];
                break;
            }
        if constexpr (std::is_same_v<T, float>) {
            char buffer[kNumberText];
            std::snprintf(buffer, sizeof buffer, "%.9g", static_cast<double>(*target_));
            return buffer;
        } else {
            return numberText(*target_);
        }
    }

private:
    static std::string numberText(int32_t v) { return intText(v); }
    static std::string numberText(float v) { return floatText(v); }
    // A byte shows as a signed number: 255 is "-1".
    static std::string numberText(uint8_t v) { return intText(static_cast<int8_t>(v)); }

    void scan(const char* text) { scan(text, *target_); }
    static void scan(const char* text, T& target) {
        if constexpr (std::is_same_v<T, float>) {
            scanFloat(text, target);
        } else if constexpr (std::is_same_v<T, int32_t>) {
            scanInt(text, target);
        } else {
            // A byte takes the low byte of the number, 0 when none converts.
            int32_t v = 0;
            scanInt(text, v);
            target = static_cast<uint8_t>(v);
        }
    }

    std::vector<T> values_;
    ValueRange range_;
    T held_;     // the value at declaration
    T* target_;  // not owned
};

class BoolParameter : public Parameter {
public:
    explicit BoolParameter(bool* target) : target_(target) {
        choiceNames_ = {"No", "Yes"};
        setText(*target_ ? "Yes" : "No");
    }

    void parse(const char* text) override {
        if (text) {
            if (std::strcmp(text, "No") == 0) {
                *target_ = false;
                return;
            }
            if (std::strcmp(text, "Yes") == 0) {
                *target_ = true;
                return;
            }
        }
        int32_t v = 0;
        scanInt(text, v);
        *target_ = static_cast<uint8_t>(v) != 0;
    }

    // "No", "Yes", 0 or 1.
    std::string refusal(const char* text) const override {
        if (text && (std::strcmp(text, "No") == 0 || std::strcmp(text, "Yes") == 0))
            return {};
        return wholeNumberRefusal(text, {0, 1});
    }
    std::string saveValue() const override { return bytesOf(*target_); }
    std::string valueText() const override { return *target_ ? "Yes" : "No"; }
    void restoreValue(const std::string& saved) override { restoreBytes(saved, *target_); }

private:
    bool* target_;  // not owned
};

class MaterialParameter : public Parameter {
public:
    MaterialParameter(const char* const names[], int count, Material* material) : material_(material) {
        if (count > 0 && names)
            for (int i = 0; i < count; ++i)
                choiceNames_.push_back(orEmpty(names[i]));
        if (const char* bound = material_->textureName())
            setText(bound);
    }

    void parse(const char* text) override {
        material_->unbind();
        if (text)
            material_->bind(text);
    }

    // Any name: one that binds nothing leaves the material unbound.
    std::string refusal(const char*) const override { return {}; }
    std::string saveValue() const override {
        const char* bound = material_->textureName();
        return bound ? std::string(1, '+') + bound : std::string("-");
    }
    void restoreValue(const std::string& saved) override {
        if (!saved.empty())
            parse(saved[0] == '+' ? saved.c_str() + 1 : nullptr);
    }
    // An unbound material is written back by a name that binds nothing.
    std::string valueText() const override {
        const char* bound = material_->textureName();
        return bound ? bound : "";
    }

private:
    Material* material_;  // not owned
};

}  // namespace

// ---- polygon editor ----

PolygonEditParameter::PolygonEditParameter(Poly* poly, const LimitNames* limits) : poly_(poly), limits_(limits) {
    // Describe the polygon as it stands, so that a rebuild without changes
    // gives it back.
    const int n = poly_->count();
    lengths_.resize(static_cast<size_t>(n));
    angles_.resize(static_cast<size_t>(n));
    limitBytes_.resize(static_cast<size_t>(n));
    double previous = 0;
    for (int i = 0; i < n; ++i) {
        const Point& a = (*poly_)[i];
        const Point& b = (*poly_)[(i + 1) % n];
        const double dx = static_cast<double>(b.x) - a.x;
        const double dy = static_cast<double>(b.y) - a.y;
        const double heading = std::atan2(dy, dx);
        lengths_[i] = static_cast<float>(std::sqrt(dx * dx + dy * dy));
        limitBytes_[i] = a.limit;
        if (i > 0) {
            // Clockwise turn in (-180, 180].
            double turn = (previous - heading) / kDegreesToRadians;
            while (turn > 180)
                turn -= 360;
            while (turn <= -180)
                turn += 360;
            angles_[i] = static_cast<float>(turn);
        }
        previous = heading;
    }
}

std::string PolygonEditParameter::refusal(const char*) const {
    for (float v : lengths_)
        if (!std::isfinite(v))
            return "a length is not a finite number";
    for (float v : angles_)
        if (!std::isfinite(v))
            return "an angle is not a finite number";
    for (const Point& p : rebuilt())
        if (!(p.x >= kCoordinateRange.min && p.x <= kCoordinateRange.max && p.y >= kCoordinateRange.min &&
              p.y <= kCoordinateRange.max))
            return format("a point would lie farther than %g from the origin", kCoordinateRange.max);
    return {};
}

std::vector<Point> PolygonEditParameter::rebuilt() const {
    double x = 0, y = 0, heading = 0;
    if (poly_->count() > 0) {
        const Point& first = (*poly_)[0];
        x = first.x;
        y = first.y;
        if (poly_->count() > 1) {
            const Point& second = (*poly_)[1];
            heading = std::atan2(static_cast<double>(second.y) - first.y, static_cast<double>(second.x) - first.x);
        }
    }
    // The editor may have resized the arrays unevenly; never read past one.
    const size_t n = std::min({lengths_.size(), angles_.size(), limitBytes_.size()});
    std::vector<Point> points;
    points.reserve(n);
    const auto coincide = [](const Point& a, const Point& b) {
        const float dx = a.x - b.x, dy = a.y - b.y;
        return dx * dx <= tolerance::kCoincident && dy * dy <= tolerance::kCoincident;
    };
    for (size_t i = 0; i < n; ++i) {
        if (i > 0)
            heading -= angles_[i] * kDegreesToRadians;
        Point p;
        p.x = static_cast<float>(x);
        p.y = static_cast<float>(y);
        p.limit = limitBytes_[i];
        if (!points.empty() && coincide(p, points.front()))
            points.front().limit = p.limit;
        else if (points.size() > 1 && coincide(p, points.back()))
            points.back().limit = p.limit;
        else
            points.push_back(p);
        x += lengths_[i] * std::cos(heading);
        y += lengths_[i] * std::sin(heading);
    }
    return points;
}

void PolygonEditParameter::parse(const char*) { poly_->points() = rebuilt(); }

// ---- children, parent, variants ----

ChildrenParameter::ChildrenParameter(const std::vector<std::unique_ptr<Drawable>>* children) : children_(children) {
    if (children_)
        for (const auto& child : *children_)
            choiceNames_.push_back(child ? orEmpty(child->className().name) : std::string());
}

Drawable* ChildrenParameter::child(int i) const {
    if (!children_ || i < 0 || i >= static_cast<int>(children_->size()))
        return nullptr;
    return (*children_)[static_cast<size_t>(i)].get();
}

ParentParameter::ParentParameter(Desc* const* parentField) : parentField_(parentField) {
    choiceNames_.push_back(orEmpty((*parentField_)->className().name));
}

VariantsParameter::VariantsParameter(const char* const names[], int count, const uint8_t values[], uint8_t* target)
    : target_(target) {
    if (count > 0 && names)
        for (int i = 0; i < count; ++i) {
            choiceNames_.push_back(orEmpty(names[i]));
            if (values)
                values_.push_back(values[i]);
        }
    if (target_) {
        for (size_t i = 0; i < values_.size(); ++i)
            if (values_[i] == *target_) {
                setText(choiceNames_[i]);
                return;
            }
        setText(intText(*target_));
    }
}

// ---- the list ----

void ParameterList::add(std::string name, std::unique_ptr<Parameter> record) {
    if (count() % kGrowth == 0) {
        if (capacity_ > 0)
            ++reallocations_;
        capacity_ = count() + kGrowth;
        names_.reserve(static_cast<size_t>(capacity_));
        records_.reserve(static_cast<size_t>(capacity_));
    }
    names_.push_back(std::move(name));
    records_.push_back(std::move(record));
}

void ParameterList::addHeading(const char* name) { add(orEmpty(name), nullptr); }

void ParameterList::addInt(const char* name, int32_t* target, ValueRange range) {
    add(orEmpty(name), std::make_unique<ChoiceParameter<int32_t>>(nullptr, 0, nullptr, target, range));
}

void ParameterList::addIntChoice(const char* name, const char* const names[], int count, const int32_t values[],
                                 int32_t* target, ValueRange range) {
    add(orEmpty(name), std::make_unique<ChoiceParameter<int32_t>>(names, count, values, target, range));
}

void ParameterList::addFloat(const char* name, float* target, ValueRange range) {
    add(orEmpty(name), std::make_unique<ChoiceParameter<float>>(nullptr, 0, nullptr, target, range));
}

void ParameterList::addFloatChoice(const char* name, const char* const names[], int count, const float values[],
                                   float* target, ValueRange range) {
    add(orEmpty(name), std::make_unique<ChoiceParameter<float>>(names, count, values, target, range));
}

void ParameterList::addByteChoice(const char* name, const char* const names[], int count, const uint8_t values[],
                                  uint8_t* target) {
    add(orEmpty(name), std::make_unique<ChoiceParameter<uint8_t>>(names, count, values, target));
}

void ParameterList::addBool(const char* name, bool* target) {
    add(orEmpty(name), std::make_unique<BoolParameter>(target));
}

void ParameterList::addFloatArray(const char* name, float* values, int count, ValueRange range) {
    const std::string base = orEmpty(name);
    for (int i = 0; i < count; ++i)
        addFloat(format("%s[%d]", base.c_str(), i).c_str(), &values[i], range);
}

void ParameterList::addMaterial(const char* name, const char* const names[], int count, Material* material) {
    add(orEmpty(name), std::make_unique<MaterialParameter>(names, count, material));
}

void ParameterList::addPolygonEditor(Poly* poly, const LimitNames* limits) {
    add("POLY <Edition>", std::make_unique<PolygonEditParameter>(poly, limits));
}

void ParameterList::setChildren(const std::vector<std::unique_ptr<Drawable>>* children) {
    if (!children_)
        children_ = std::make_unique<ChildrenParameter>(children);
}

void ParameterList::setParent(Desc* const* parentField) {
    if (!parent_ && parentField && *parentField)
        parent_ = std::make_unique<ParentParameter>(parentField);
}

void ParameterList::setVariants(const char* const names[], int count, const uint8_t values[], uint8_t* target) {
    if (!variants_)
        variants_ = std::make_unique<VariantsParameter>(names, count, values, target);
}

std::string ParameterList::edit(int index, const char* text) {
    Parameter* p = index >= 0 && index < count() ? record(index) : nullptr;
    if (!p)
        return "not editable";
    std::string why = p->refusal(text);
    if (why.empty())
        p->parse(text);
    return why;
}

int ParameterList::find(const char* name) const {
    if (!name)
        return -1;
    for (int i = 0; i < count(); ++i)
        if (names_[static_cast<size_t>(i)] == name)
            return i;
    return -1;
}

// ---- polygons ----

void declarePoly(Poly& poly, ParameterList& list, const char* name, const LimitNames* limits, const ValueRange& x,
                 const ValueRange& y) {
    if (poly.empty())
        return;
    if (name) {
        list.addHeading(format("%s: %d vertices", name, poly.count()).c_str());
        list.addPolygonEditor(&poly, limits);
    } else {
        list.addHeading(format("Base Poly: %d vertices", poly.count()).c_str());
    }
    for (int i = 0; i < poly.count(); ++i)
        declarePolyPoint(poly[i], list, name, i, limits, x, y);
}

void declarePolyPoint(Point& point, ParameterList& list, const char* name, int index, const LimitNames* limits,
                      const ValueRange& x, const ValueRange& y) {
    const char* const* limitNames = limits ? limits->names : nullptr;
    const uint8_t* limitValues = limits ? limits->values : nullptr;
    const int limitCount = limits ? limits->count : 0;
    if (name) {
        const std::string prefix = format("%s.p[%d]", name, index);
        list.addByteChoice((prefix + " limit").c_str(), limitNames, limitCount, limitValues, &point.limit);
        list.addFloat((prefix + " X").c_str(), &point.x, x);
        list.addFloat((prefix + " Y").c_str(), &point.y, y);
    } else {
        const std::string prefix = format("Poly.p[%d]", index);
        list.addByteChoice((prefix + " limit").c_str(), limitNames, limitCount, limitValues, &point.limit);
        list.addHeading(format("%s X: %f", prefix.c_str(), static_cast<double>(point.x)).c_str());
        list.addHeading(format("%s Y: %f", prefix.c_str(), static_cast<double>(point.y)).c_str());
    }
}

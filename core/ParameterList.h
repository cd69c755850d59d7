#pragma once
// The editable state of one object as a flat, ordered list of named entries
// for the property editor: headings, numbers, choices among named values,
// booleans, arrays, polygon points, the material, and links to the children
// and the parent. Each entry shows its value as text made once, at
// declaration, and writes a person's new text straight into the field it was
// declared for. Parsing never trusts the text: any content, any length.
//
// A list holds pointers into the object it describes: discard it before the
// object is destroyed or regenerated.
#include <cstdint>
#include <limits>
#include <memory>
#include <string>
#include <vector>

class Desc;
class Drawable;
class Material;
class Poly;
struct Point;

// The meaning of a polygon point's limit byte in one typology, e.g. "Party
// Wall" 0, "Facade" 1 for building plots. Arrays not owned (static tables).
// A null table stands for an empty one.
struct LimitNames {
    const char* const* names = nullptr;
    const uint8_t* values = nullptr;
    int32_t count = 0;
};

// The numbers an entry accepts, both ends included. A typology declares the
// range its generation can use; the kind of number bounds it further.
struct ValueRange {
    double min = -std::numeric_limits<double>::infinity();
    double max = std::numeric_limits<double>::infinity();
};

// What a polygon point's coordinate entry takes (metres): no town reaches
// farther from its origin, and the squares of distances between such points
// stay finite in single precision.
inline constexpr ValueRange kCoordinateRange{-1.0e6, 1.0e6};

// One entry's record. The base is also the record of entries that only list
// names (children, parent, variants).
class Parameter {
public:
    virtual ~Parameter() = default;

    // Writes the value that text stands for into the target; null text and
    // text that converts to nothing leave numbers unchanged.
    virtual void parse(const char* text) { (void)text; }
    virtual bool isPolygonEdit() const { return false; }
    // Why the text cannot be written (a short message), or empty when it can:
    // a number entry takes a choice name or a finite number within its range
    // (whole for whole-number kinds); a whole-number entry with choices takes
    // only its choices' names and values and the value it held when it was
    // declared; entries without a value of their own take nothing.
    virtual std::string refusal(const char* text) const {
        (void)text;
        return "not editable";
    }
    // The range of a number entry; false for other entries.
    virtual bool range(ValueRange& range) const {
        (void)range;
        return false;
    }
    // The target's value as bytes, and putting such bytes back: the exact
    // value, which the text made at declaration may round.
    virtual std::string saveValue() const { return {}; }
    // The target's value as it is now, as a text that refusal() takes and
    // parse() turns back into exactly that value (a choice name, or a
    // number with all its digits); empty for entries without a value.
    virtual std::string valueText() const { return {}; }
    virtual void restoreValue(const std::string& saved) { (void)saved; }

    int choiceCount() const { return static_cast<int>(choiceNames_.size()); }
    const std::string& choiceName(int i) const { return choiceNames_[i]; }
    const std::vector<std::string>& choiceNames() const { return choiceNames_; }
    // The value as text at declaration time, or null when the entry has none.
    // Not refreshed by parse().
    const char* text() const { return hasText_ ? text_.c_str() : nullptr; }

protected:
    void setText(std::string text) {
        text_ = std::move(text);
        hasText_ = true;
    }

    std::vector<std::string> choiceNames_;

private:
    std::string text_;
    bool hasText_ = false;
};

// The polygon editor: rebuilds the polygon from per-edge lengths, clockwise
// turning angles (degrees) and limit bytes. The arrays start out describing
// the polygon as it was at declaration; the editor changes them, then calls
// parse (whose text is ignored).
class PolygonEditParameter : public Parameter {
public:
    PolygonEditParameter(Poly* poly, const LimitNames* limits);

    void parse(const char* text) override;
    bool isPolygonEdit() const override { return true; }
    // The text is ignored; lengths and angles must be finite, and every
    // rebuilt point must lie within kCoordinateRange.
    std::string refusal(const char* text) const override;

    Poly* polygon() const { return poly_; }
    const LimitNames* limitNames() const { return limits_; }
    std::vector<float>& lengths() { return lengths_; }
    std::vector<float>& angles() { return angles_; }
    std::vector<uint8_t>& limits() { return limitBytes_; }

private:
    // The points parse() makes from the arrays.
    std::vector<Point> rebuilt() const;

    Poly* poly_;                 // not owned: the described object's
    const LimitNames* limits_;   // not owned; may be null
    std::vector<float> lengths_;
    std::vector<float> angles_;  // angles_[0] is not used by the rebuild
    std::vector<uint8_t> limitBytes_;
};

// Children entry: choice names are the children's class names in array order.
class ChildrenParameter : public Parameter {
public:
    explicit ChildrenParameter(const std::vector<std::unique_ptr<Drawable>>* children);
    // The i-th child as it is now, or null past the end.
    Drawable* child(int i) const;

private:
    const std::vector<std::unique_ptr<Drawable>>* children_;  // not owned
};

// Parent entry: one choice, the parent's class name.
class ParentParameter : public Parameter {
public:
    explicit ParentParameter(Desc* const* parentField);
    Desc* parent() const { return *parentField_; }

private:
    Desc* const* parentField_;  // not owned: the object's parent field
};

// Variants entry: the names of the variant classes in createVariant's order.
class VariantsParameter : public Parameter {
public:
    VariantsParameter(const char* const names[], int count, const uint8_t values[], uint8_t* target);
    const std::vector<uint8_t>& values() const { return values_; }

private:
    std::vector<uint8_t> values_;
    uint8_t* target_;  // not owned; may be null
};

class ParameterList {
public:
    // Both arrays grow by this many slots whenever an entry is added while
    // the count is a multiple of it.
    static constexpr int kGrowth = 8;

    ParameterList() = default;
    ParameterList(const ParameterList&) = delete;
    ParameterList& operator=(const ParameterList&) = delete;

    // Names may be null (kept as empty text). Targets are not owned and must
    // outlive the list.
    void addHeading(const char* name);
    // Numbers outside `range` are refused by the entry's refusal().
    void addInt(const char* name, int32_t* target, ValueRange range = {});
    void addIntChoice(const char* name, const char* const names[], int count, const int32_t values[],
                      int32_t* target, ValueRange range = {});
    void addFloat(const char* name, float* target, ValueRange range = {});
    void addFloatChoice(const char* name, const char* const names[], int count, const float values[],
                        float* target, ValueRange range = {});
    void addByteChoice(const char* name, const char* const names[], int count, const uint8_t values[],
                       uint8_t* target);
    // A byte choice over "No" = 0 and "Yes" = 1; any other number is true
    // when its low byte is not 0.
    void addBool(const char* name, bool* target);
    // count float entries named "<name>[<index>]".
    void addFloatArray(const char* name, float* values, int count, ValueRange range = {});
    // Parsing unbinds the material, then binds it by the text when not null.
    void addMaterial(const char* name, const char* const names[], int count, Material* material);
    // One entry named "POLY <Edition>".
    void addPolygonEditor(Poly* poly, const LimitNames* limits);
    // The first call sets the entry; later calls do nothing.
    void setChildren(const std::vector<std::unique_ptr<Drawable>>* children);
    // The first call with a non-null parent sets the entry.
    void setParent(Desc* const* parentField);
    // The first call sets the entry; target may be null (no text then).
    void setVariants(const char* const names[], int count, const uint8_t values[], uint8_t* target);

    int count() const { return static_cast<int>(names_.size()); }
    const std::string& name(int i) const { return names_[i]; }
    // Null for a heading.
    Parameter* record(int i) const { return records_[i].get(); }
    // Index of the first entry called name, or -1.
    int find(const char* name) const;
    // Writes text into entry `index` unless the entry refuses it; the
    // refusal, or empty when written. Headings refuse everything.
    std::string edit(int index, const char* text);

    Parameter* children() const { return children_.get(); }
    Parameter* parent() const { return parent_.get(); }
    Parameter* variants() const { return variants_.get(); }

    // Slots reserved in both arrays, and how often they had to grow once
    // they held entries.
    int capacity() const { return capacity_; }
    int reallocations() const { return reallocations_; }

private:
    void add(std::string name, std::unique_ptr<Parameter> record);

    std::vector<std::string> names_;
    std::vector<std::unique_ptr<Parameter>> records_;  // owned; null for a heading
    std::unique_ptr<Parameter> children_;              // owned, or null
    std::unique_ptr<Parameter> parent_;                // owned, or null
    std::unique_ptr<Parameter> variants_;              // owned, or null
    int capacity_ = 0;
    int reallocations_ = 0;
};

// Heading "<name>: <n> vertices" and the polygon editor, or without a name the
// heading "Base Poly: <n> vertices"; then every point. Nothing for an empty
// polygon. limits may be null; x and y bound the coordinates of a named
// polygon's points.
void declarePoly(Poly& poly, ParameterList& list, const char* name, const LimitNames* limits,
                 const ValueRange& x = kCoordinateRange, const ValueRange& y = kCoordinateRange);
// With a name: byte choice "<name>.p[<i>] limit" and floats "<name>.p[<i>] X"
// and "... Y" within x and y; without: byte choice "Poly.p[<i>] limit" and
// read-only headings "Poly.p[<i>] X: <x>" and "... Y: <y>".
void declarePolyPoint(Point& point, ParameterList& list, const char* name, int index, const LimitNames* limits,
                      const ValueRange& x = kCoordinateRange, const ValueRange& y = kCoordinateRange);

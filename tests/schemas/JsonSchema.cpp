// The validator: a load-time keyword check, then a recursive walk per instance. Any thread.
#include "JsonSchema.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <fstream>
#include <stdexcept>

namespace corvane::test {
namespace {

using nlohmann::json;

constexpr std::array<std::string_view, 8> annotations = {"$schema", "$id",         "$comment", "title",
                                                         "$defs",   "description", "examples", "default"};
constexpr std::array<std::string_view, 13> assertions = {"type",  "properties", "required", "additionalProperties",
                                                         "enum",  "const",      "oneOf",    "anyOf",
                                                         "items", "minItems",   "maxItems", "minLength",
                                                         "$ref"};
constexpr std::array<std::string_view, 7> typeNames = {"null",   "boolean", "object", "array",
                                                       "number", "integer", "string"};

template <std::size_t Size> bool oneOfWords(const std::array<std::string_view, Size>& words, std::string_view word)
{
    return std::find(words.begin(), words.end(), word) != words.end();
}

bool hasType(const json& instance, std::string_view type)
{
    if (type == "null") {
        return instance.is_null();
    }
    if (type == "boolean") {
        return instance.is_boolean();
    }
    if (type == "object") {
        return instance.is_object();
    }
    if (type == "array") {
        return instance.is_array();
    }
    if (type == "string") {
        return instance.is_string();
    }
    if (type == "number") {
        return instance.is_number();
    }
    // "integer": any number with a zero fraction, 1.0 included.
    return instance.is_number_integer() ||
           (instance.is_number_float() && std::trunc(instance.get<double>()) == instance.get<double>());
}

// Characters as JSON Schema counts them: code points, that is UTF-8 lead bytes.
std::size_t codePoints(const std::string& text)
{
    return static_cast<std::size_t>(std::count_if(
        text.begin(), text.end(), [](char byte) { return (static_cast<unsigned char>(byte) & 0xC0) != 0x80; }));
}

void require(bool holds, const std::string& where, const std::string& what)
{
    if (!holds) {
        throw std::invalid_argument("schema " + (where.empty() ? std::string("/") : where) + ": " + what);
    }
}

std::string brief(const json& value)
{
    std::string text = value.dump(-1, ' ', false, json::error_handler_t::replace);
    return text.size() > 60 ? text.substr(0, 57) + "..." : text;
}

} // namespace

JsonSchema::JsonSchema(json document) : m_document(std::move(document))
{
    checkSchema(m_document, "");
}

JsonSchema JsonSchema::load(const std::filesystem::path& file)
{
    std::ifstream stream(file);
    if (!stream) {
        throw std::runtime_error("cannot read " + file.string());
    }
    json document = json::parse(stream, nullptr, false);
    if (document.is_discarded()) {
        throw std::runtime_error(file.string() + " is not JSON");
    }
    return JsonSchema(std::move(document));
}

void JsonSchema::checkSchema(const json& schema, const std::string& where) const
{
    require(schema.is_object(), where, "a schema must be an object");
    for (const auto& [key, value] : schema.items()) {
        require(oneOfWords(annotations, key) || oneOfWords(assertions, key), where, "unsupported keyword " + key);
    }
    if (const auto type = schema.find("type"); type != schema.end()) {
        const json types = type->is_array() ? *type : json::array({*type});
        for (const json& name : types) {
            require(name.is_string() && oneOfWords(typeNames, name.get<std::string>()), where, "bad type");
        }
    }
    for (const char* key : {"properties", "$defs"}) {
        if (const auto members = schema.find(key); members != schema.end()) {
            require(members->is_object(), where, std::string(key) + " must be an object");
            for (const auto& [name, subschema] : members->items()) {
                checkSchema(subschema, where + "/" + key + "/" + name);
            }
        }
    }
    for (const char* key : {"oneOf", "anyOf"}) {
        if (const auto branches = schema.find(key); branches != schema.end()) {
            require(branches->is_array() && !branches->empty(), where, std::string(key) + " must be a list");
            for (std::size_t index = 0; index < branches->size(); ++index) {
                checkSchema((*branches)[index], where + "/" + key + "/" + std::to_string(index));
            }
        }
    }
    if (const auto items = schema.find("items"); items != schema.end()) {
        checkSchema(*items, where + "/items");
    }
    if (const auto extra = schema.find("additionalProperties"); extra != schema.end() && !extra->is_boolean()) {
        checkSchema(*extra, where + "/additionalProperties");
    }
    if (const auto required = schema.find("required"); required != schema.end()) {
        require(required->is_array() &&
                    std::all_of(required->begin(), required->end(), [](const json& name) { return name.is_string(); }),
                where, "required must list names");
    }
    if (const auto values = schema.find("enum"); values != schema.end()) {
        require(values->is_array() && !values->empty(), where, "enum must be a list");
    }
    for (const char* key : {"minItems", "maxItems", "minLength"}) {
        if (const auto bound = schema.find(key); bound != schema.end()) {
            require(bound->is_number_integer() && bound->get<long long>() >= 0, where,
                    std::string(key) + " must be a whole number");
        }
    }
    if (const auto reference = schema.find("$ref"); reference != schema.end()) {
        require(reference->is_string(), where, "$ref must be a string");
        resolve(reference->get<std::string>());
    }
}

const json& JsonSchema::resolve(const std::string& reference) const
{
    require(!reference.empty() && reference.front() == '#', "", "only references into this document: " + reference);
    try {
        return m_document.at(json::json_pointer(reference.substr(1)));
    } catch (const json::exception&) {
        throw std::invalid_argument("schema: unresolved $ref " + reference);
    }
}

std::vector<std::string> JsonSchema::errors(const json& instance) const
{
    std::vector<std::string> found;
    validate(m_document, instance, "", found);
    return found;
}

std::vector<std::string> JsonSchema::errors(const json& instance, std::string_view pointer) const
{
    const json& schema = resolve("#" + std::string(pointer));
    std::vector<std::string> found;
    validate(schema, instance, "", found);
    return found;
}

void JsonSchema::validate(const json& schema, const json& instance, const std::string& where,
                          std::vector<std::string>& errors) const
{
    const std::string at = where.empty() ? "/" : where;
    if (const auto reference = schema.find("$ref"); reference != schema.end()) {
        validate(resolve(reference->get<std::string>()), instance, where, errors);
    }
    if (const auto type = schema.find("type"); type != schema.end()) {
        const json types = type->is_array() ? *type : json::array({*type});
        if (std::none_of(types.begin(), types.end(),
                         [&](const json& name) { return hasType(instance, name.get<std::string>()); })) {
            errors.push_back(at + ": " + brief(instance) + " is not of type " + brief(*type));
        }
    }
    if (const auto values = schema.find("enum"); values != schema.end()) {
        if (std::find(values->begin(), values->end(), instance) == values->end()) {
            errors.push_back(at + ": " + brief(instance) + " is not one of " + brief(*values));
        }
    }
    if (const auto value = schema.find("const"); value != schema.end() && *value != instance) {
        errors.push_back(at + ": " + brief(instance) + " is not " + brief(*value));
    }
    if (const auto bound = schema.find("minLength");
        bound != schema.end() && instance.is_string() &&
        codePoints(instance.get<std::string>()) < bound->get<std::size_t>()) {
        errors.push_back(at + ": shorter than " + bound->dump() + " characters");
    }
    if (instance.is_object()) {
        validateObject(schema, instance, where, errors);
    }
    if (instance.is_array()) {
        validateArray(schema, instance, where, errors);
    }
    validateBranches(schema, instance, where, errors);
}

void JsonSchema::validateObject(const json& schema, const json& instance, const std::string& where,
                                std::vector<std::string>& errors) const
{
    const std::string at = where.empty() ? "/" : where;
    if (const auto required = schema.find("required"); required != schema.end()) {
        for (const json& name : *required) {
            if (!instance.contains(name.get<std::string>())) {
                errors.push_back(at + ": lacks " + name.get<std::string>());
            }
        }
    }
    const auto properties = schema.find("properties");
    const auto extra = schema.find("additionalProperties");
    for (const auto& [name, value] : instance.items()) {
        const bool named = properties != schema.end() && properties->contains(name);
        if (named) {
            validate((*properties)[name], value, where + "/" + name, errors);
        } else if (extra != schema.end() && extra->is_boolean() && !extra->get<bool>()) {
            errors.push_back(at + ": has no member " + name);
        } else if (extra != schema.end() && extra->is_object()) {
            validate(*extra, value, where + "/" + name, errors);
        }
    }
}

void JsonSchema::validateArray(const json& schema, const json& instance, const std::string& where,
                               std::vector<std::string>& errors) const
{
    const std::string at = where.empty() ? "/" : where;
    if (const auto bound = schema.find("minItems");
        bound != schema.end() && instance.size() < bound->get<std::size_t>()) {
        errors.push_back(at + ": fewer than " + bound->dump() + " items");
    }
    if (const auto bound = schema.find("maxItems");
        bound != schema.end() && instance.size() > bound->get<std::size_t>()) {
        errors.push_back(at + ": more than " + bound->dump() + " items");
    }
    if (const auto items = schema.find("items"); items != schema.end()) {
        for (std::size_t index = 0; index < instance.size(); ++index) {
            validate(*items, instance[index], where + "/" + std::to_string(index), errors);
        }
    }
}

void JsonSchema::validateBranches(const json& schema, const json& instance, const std::string& where,
                                  std::vector<std::string>& errors) const
{
    const std::string at = where.empty() ? "/" : where;
    for (const char* key : {"oneOf", "anyOf"}) {
        const auto branches = schema.find(key);
        if (branches == schema.end()) {
            continue;
        }
        std::size_t matching = 0;
        std::vector<std::string> reasons;
        for (const json& branch : *branches) {
            std::vector<std::string> branchErrors;
            validate(branch, instance, where, branchErrors);
            matching += branchErrors.empty() ? 1 : 0;
            reasons.insert(reasons.end(), branchErrors.begin(), branchErrors.end());
        }
        const bool exactlyOne = std::string_view(key) == "oneOf";
        if (matching == 0) {
            std::string why;
            for (const std::string& reason : reasons) {
                why += (why.empty() ? "" : "; ") + reason;
            }
            errors.push_back(at + ": matches none of " + key + " (" + why + ")");
        } else if (exactlyOne && matching > 1) {
            errors.push_back(at + ": matches " + std::to_string(matching) + " branches of oneOf");
        }
    }
}

} // namespace corvane::test

// A small JSON Schema (draft 2020-12) validator for exactly the keywords our schemas use: type,
// properties, required, additionalProperties, enum, const, oneOf, anyOf, items, minItems, maxItems,
// minLength and $ref to a JSON pointer inside the same document; $schema, $id, $comment, title,
// description and $defs are annotations. A schema with any other keyword is refused when it is loaded,
// so a schema can never lean on a keyword this validator would silently skip. Immutable once built;
// any thread.
#pragma once

#include <nlohmann/json.hpp>

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace corvane::test {

class JsonSchema final {
public:
    // Throws std::invalid_argument for an unknown keyword, a malformed keyword value or a $ref that
    // does not resolve.
    explicit JsonSchema(nlohmann::json document);
    // Reads and parses `file` first; throws std::runtime_error when it cannot.
    static JsonSchema load(const std::filesystem::path& file);

    // Every way `instance` breaks the schema, each as "<instance pointer>: <what>"; empty when valid.
    std::vector<std::string> errors(const nlohmann::json& instance) const;
    // The same against the subschema at `pointer` ("/$defs/row"); throws std::invalid_argument when
    // there is none.
    std::vector<std::string> errors(const nlohmann::json& instance, std::string_view pointer) const;

    bool accepts(const nlohmann::json& instance) const { return errors(instance).empty(); }

    const nlohmann::json& document() const { return m_document; }

private:
    void checkSchema(const nlohmann::json& schema, const std::string& where) const;
    void validate(const nlohmann::json& schema, const nlohmann::json& instance, const std::string& where,
                  std::vector<std::string>& errors) const;
    void validateObject(const nlohmann::json& schema, const nlohmann::json& instance, const std::string& where,
                        std::vector<std::string>& errors) const;
    void validateArray(const nlohmann::json& schema, const nlohmann::json& instance, const std::string& where,
                       std::vector<std::string>& errors) const;
    void validateBranches(const nlohmann::json& schema, const nlohmann::json& instance, const std::string& where,
                          std::vector<std::string>& errors) const;
    const nlohmann::json& resolve(const std::string& reference) const;

    nlohmann::json m_document;
};

} // namespace corvane::test

#pragma once
// The read-only settings of the client: key/value pairs read once from
// "config.xml" in the current directory. Keys and values are narrow text in
// the ANSI code page; a missing key reads as the empty string.

#include <map>
#include <set>
#include <string>

struct IXMLDOMDocument;

class CConfigStore {
public:
    // The process's store, created (with COM initialised on the calling
    // thread) by the first call and never destroyed.
    static CConfigStore& Instance();

    // A store of its own, empty; Instance() is the one the program uses.
    CConfigStore() = default;
    CConfigStore(const CConfigStore&) = delete;
    CConfigStore& operator=(const CConfigStore&) = delete;

    // Fills the store from "config.xml"; a missing or broken file leaves it as it was.
    void Load();
    std::string GetValue(const std::string& key) const;
    // Every key looked up so far, present or not: what the windows read.
    const std::set<std::string>& KeysRead() const { return m_keysRead; }
    // The executable's directory + "\data\" + login_bg, or "" when the
    // executable's path has no backslash.
    std::string GetLoginBgPath() const;

    // For the operator tools, which show a skin from a folder of its own:
    // replaces a key's value, and the folder GetLoginBgPath starts from.
    void SetValue(const std::string& key, const std::string& value) { m_values[key] = value; }
    void SetSkinFolder(const std::string& folder) { m_skinFolder = folder; }

    // Sets `document` up as Load reads with it: synchronously, and refusing
    // what only a hostile file needs (a DTD, with its entity expansion,
    // external resources, deep nesting).
    static void PrepareParser(IXMLDOMDocument* document);

private:
    void ReadDocument();

    std::map<std::string, std::string> m_values;
    std::string m_skinFolder;
    mutable std::set<std::string> m_keysRead;
    IXMLDOMDocument* m_pDoc = nullptr;
};

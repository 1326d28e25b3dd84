// Loads the built manager plug-in the way the editor does: by path, binding
// the eleven exports by name, and the optional ones where present.
#pragma once

#include <dlfcn.h>

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "ManagerApi.h"

class ManagerPlugin {
public:
    static const ManagerPlugin &Get()
    {
        static const ManagerPlugin plugin;
        return plugin;
    }

    bool loaded() const { return library_ != nullptr && complete_; }
    const std::string &error() const { return error_; }

    embGetSupportedExtensionsFn getSupportedExtensions = nullptr;
    embIsExtensionSupportedFn isExtensionSupported = nullptr;
    embGetManagerTitleFn getManagerTitle = nullptr;
    embIsTextFn isText = nullptr;
    embGetUserParmNameFn getUserParmName = nullptr;
    embLoadFileFn loadFile = nullptr;
    embLoadMemoryFileFn loadMemoryFile = nullptr;
    embSaveFileFn saveFile = nullptr;
    embSaveMemoryFileFn saveMemoryFile = nullptr;
    embGetDefaultsFn getDefaults = nullptr;
    embNewParticlesFn newParticles = nullptr;
    // Optional exports: null when the plug-in lacks them.
    embCheckMemoryFileFn checkMemoryFile = nullptr;
    embGetScriptKeysFn getScriptKeys = nullptr;

private:
    ManagerPlugin()
    {
        library_ = ::dlopen(MANAGER_PLUGIN_PATH, RTLD_NOW | RTLD_LOCAL);
        if (library_ == nullptr) {
            error_ = ::dlerror();
            return;
        }
        Bind(getSupportedExtensions, "embGetSupportedExtensions");
        Bind(isExtensionSupported, "embIsExtensionSupported");
        Bind(getManagerTitle, "embGetManagerTitle");
        Bind(isText, "embIsText");
        Bind(getUserParmName, "embGetUserParmName");
        Bind(loadFile, "embLoadFile");
        Bind(loadMemoryFile, "embLoadMemoryFile");
        Bind(saveFile, "embSaveFile");
        Bind(saveMemoryFile, "embSaveMemoryFile");
        Bind(getDefaults, "embGetDefaults");
        Bind(newParticles, "embNewParticles");
        checkMemoryFile = reinterpret_cast<embCheckMemoryFileFn>(::dlsym(library_, "embCheckMemoryFile"));
        getScriptKeys = reinterpret_cast<embGetScriptKeysFn>(::dlsym(library_, "embGetScriptKeys"));
    }

    template <typename Fn>
    void Bind(Fn &fn, const char *name)
    {
        fn = reinterpret_cast<Fn>(::dlsym(library_, name));
        if (fn == nullptr) {
            complete_ = false;
            error_ += std::string("missing export ") + name + "; ";
        }
    }

    void *library_ = nullptr;
    bool complete_ = true;
    std::string error_;
};

// Base for every test of the plug-in: fails at once when it cannot be bound.
class ManagerTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(api.loaded()) << api.error(); }

    std::unique_ptr<ParticleSystem> NewRecord() const { return std::make_unique<ParticleSystem>(); }

    std::unique_ptr<ParticleSystem> Load(const std::string &text) const
    {
        auto record = NewRecord();
        EXPECT_EQ(api.loadMemoryFile(text.c_str(), record.get()), 1);
        return record;
    }

    // Large enough for ten entries with every text at full length.
    std::string Save(const ParticleSystem &record, const char *header = nullptr) const
    {
        std::vector<char> buffer(1 << 16, '\x7f');
        EXPECT_EQ(api.saveMemoryFile(buffer.data(), static_cast<int32_t>(buffer.size()), header, &record), 1);
        return std::string(buffer.data(), strnlen(buffer.data(), buffer.size()));
    }

    std::unique_ptr<ParticleSystem> Defaults() const
    {
        auto record = NewRecord();
        EXPECT_EQ(api.getDefaults(record.get()), 1);
        return record;
    }

    const ManagerPlugin &api = ManagerPlugin::Get();
};

inline bool SameBytes(const ParticleSystem &a, const ParticleSystem &b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

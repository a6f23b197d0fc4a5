// CDllInterfaceRegistry on its own: removal rules and the unload sweep, with
// interface objects whose destructors leave the registry as CMivo's does.
#include "plugin/DllInterfaceRegistry.h"

#include <gtest/gtest.h>

#include <vector>

#include "plugin/BasicTagsDllInterface.h"

namespace {

// Records its destruction and removes itself from its registry, like CMivo.
class CountedInterface : public CBasicTagsDllInterface {
public:
    CountedInterface(CDllInterfaceRegistry& registry, std::vector<int>& destroyed, int id)
        : m_registry(registry), m_destroyed(destroyed), m_id(id) {}
    ~CountedInterface() override {
        m_destroyed.push_back(m_id);
        m_registry.Remove(this);
    }
    int Set(const CString&, const CString*) override { return 0; }
    int Property(const CString&, void*) override { return 0; }
    int CallMethod(const CString&, void*) override { return 0; }
    int FindArtistUrl(const CString&, CString&) override { return 0; }
    int FindArtistAlbumList(const CString&, AlbumInfoList&) override { return 0; }
    int GetAlbumDetails(AlbumInfo&, std::wstring&, TrackInfoList&) override { return 0; }
    int OptionalSearch(int, int, int, int) override { return 0; }

private:
    CDllInterfaceRegistry& m_registry;
    std::vector<int>& m_destroyed;
    int m_id;
};

TEST(DllInterfaceRegistry, HostDestructionRemovesOnlyThatObject) {
    std::vector<int> destroyed;
    CDllInterfaceRegistry registry;
    auto* first = new CountedInterface(registry, destroyed, 1);
    auto* second = new CountedInterface(registry, destroyed, 2);
    registry.Add(first);
    registry.Add(second);
    EXPECT_EQ(registry.GetCount(), 2u);

    delete first;
    EXPECT_EQ(registry.GetCount(), 1u);
    EXPECT_TRUE(registry.Contains(second));
    std::vector<int> unused;
    CountedInterface stranger(registry, unused, 9);
    registry.Remove(&stranger);  // never registered: ignored
    EXPECT_EQ(registry.GetCount(), 1u);

    registry.Sweep();
    EXPECT_EQ(destroyed, (std::vector<int>{1, 2})) << "each object destroyed exactly once";
    EXPECT_EQ(registry.GetCount(), 0u);
}

TEST(DllInterfaceRegistry, SweepDestroysOldestFirstWithoutDisturbingTheList) {
    std::vector<int> destroyed;
    {
        CDllInterfaceRegistry registry;
        for (int id = 1; id <= 4; ++id) registry.Add(new CountedInterface(registry, destroyed, id));
        // The registry's destructor is the unload sweep.
    }
    EXPECT_EQ(destroyed, (std::vector<int>{1, 2, 3, 4}));
}

TEST(DllInterfaceRegistry, ObjectRegisteredTwiceIsRemovedOneEntryAtATime) {
    std::vector<int> destroyed;
    CDllInterfaceRegistry registry;
    CountedInterface object(registry, destroyed, 1);
    registry.Add(&object);
    registry.Add(&object);
    registry.Remove(&object);
    EXPECT_EQ(registry.GetCount(), 1u);
    registry.Remove(&object);
    EXPECT_EQ(registry.GetCount(), 0u);
}

}  // namespace

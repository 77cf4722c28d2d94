#include "microservices/ServiceRegistry.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace microservices {
namespace {

struct Repository {
    virtual ~Repository() = default;
    virtual std::string kind() const = 0;
};

struct NamedRepository : Repository {
    explicit NamedRepository(std::string name) : name_(std::move(name)) {}
    std::string kind() const override { return name_; }
    std::string name_;
};

struct Clock {
    int now = 0;
};

class ServiceRegistryTest : public ::testing::Test {
protected:
    ServiceRegistry registry_;
    std::shared_ptr<Repository> online_ = std::make_shared<NamedRepository>("online");
    std::shared_ptr<Repository> folder_ = std::make_shared<NamedRepository>("folder");
};

TEST_F(ServiceRegistryTest, FindsByInterfaceAndFilterInRegistrationOrder) {
    registry_.registerService<Repository>(folder_, {{"type", "folderproduct"}});
    registry_.registerService<Repository>(online_, {{"type", "onlineproduct"}});
    const auto secondOnline = std::make_shared<NamedRepository>("online2");
    registry_.registerService<Repository>(secondOnline, {{"type", "onlineproduct"}});

    const auto found = registry_.findServices<Repository>("(type=onlineproduct)");
    ASSERT_EQ(found.size(), 2u);
    EXPECT_EQ(found[0], online_);
    EXPECT_EQ(found[1]->kind(), "online2");
    EXPECT_EQ(registry_.findServices<Repository>().size(), 3u);
    EXPECT_EQ(registry_.findService<Repository>("(type=folderproduct)"), folder_);
}

TEST_F(ServiceRegistryTest, NothingFoundIsAnEmptyAnswer) {
    EXPECT_TRUE(registry_.findServices<Repository>("(type=onlineproduct)").empty());
    EXPECT_EQ(registry_.findService<Repository>("(type=onlineproduct)"), nullptr);
}

TEST_F(ServiceRegistryTest, InterfacesDoNotMix) {
    registry_.registerService<Clock>(std::make_shared<Clock>(), {{"type", "onlineproduct"}});
    EXPECT_TRUE(registry_.findServices<Repository>("(type=onlineproduct)").empty());
    EXPECT_EQ(registry_.findServices<Clock>("(type=onlineproduct)").size(), 1u);
}

TEST_F(ServiceRegistryTest, MalformedFilterThrows) {
    registry_.registerService<Repository>(online_, {{"type", "onlineproduct"}});
    EXPECT_THROW(registry_.findServices<Repository>("type=onlineproduct"), std::invalid_argument);
}

TEST_F(ServiceRegistryTest, UnregisteredServiceIsNoLongerFoundAndReleased) {
    std::weak_ptr<Repository> watch = online_;
    const auto id = registry_.registerService<Repository>(std::move(online_), {{"type", "onlineproduct"}});
    EXPECT_TRUE(registry_.unregisterService(id));
    EXPECT_FALSE(registry_.unregisterService(id));
    EXPECT_TRUE(registry_.findServices<Repository>().empty());
    EXPECT_TRUE(watch.expired());
}

}  // namespace
}  // namespace microservices

# `make deb`: the Debian package $(BUILD_DIR)/tolvanger_<version>_amd64.deb, made from the
# release build. `make deb-test` unpacks it and tries what it holds (part of `make test`).

.PHONY: deb deb-test

deb: release
	packaging/deb/build_deb.sh $(RELEASE_DIR) $(BUILD_DIR)

deb-test: deb
	tests/package_test.sh $(RELEASE_DIR) $(BUILD_DIR)/tolvanger_$$(cat $(RELEASE_DIR)/version.txt)_amd64.deb

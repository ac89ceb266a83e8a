// A converter module without the entry GormRasterBody.
extern "C" __attribute__((visibility("default"))) int GormSomethingElse() { return 1; }

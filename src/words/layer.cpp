// The words layer.
namespace tama {}
